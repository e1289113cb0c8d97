// The stand-in host served in memory through the tool's host interface, for native tests.
#pragma once

#include "core/host.h"
#include "sim/model.h"

namespace dravosk::sim {

class MemoryHost final : public AutomationService {
  public:
    explicit MemoryHost(Model& model) : model_(model) {}

    // Only "KORVAN.Application" is known; any other identifier fails as an unregistered one would.
    HostObjectPtr createObject(std::u16string_view progId) override;

  private:
    Model& model_;
};

}  // namespace dravosk::sim
