// The stand-in host served in memory through the tool's host interface, for native tests.
#pragma once

#include "core/host.h"
#include "core/host.h"
#include "sim/model.h"
#include "sim/recorder.h"

namespace dravosk::sim {

class MemoryHost final : public AutomationService {
  public:
    // Counts its live objects in `recorder`, if given.
    explicit MemoryHost(Model& model, Recorder* recorder = nullptr)
        : model_(model), recorder_(recorder) {}

    // Only "KORVAN.Application" is known; any other identifier fails as an unregistered one would.
    HostObjectPtr createObject(std::u16string_view progId) override;

    // Told of every call to the model, named as the COM binding names it; null for none.
    void setObserver(CallObserver* observer) noexcept { observer_ = observer; }

  private:
    Model& model_;
    Recorder* recorder_;
    CallObserver* observer_ = nullptr;
};

}  // namespace dravosk::sim
