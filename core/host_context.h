// The three host objects every command obtains at its start, released when the command ends,
// whether it completes or fails.
#pragma once

#include "core/host.h"

namespace dravosk {

class HostContext {
  public:
    // Creates the application object, gets ActivePartProgram, then Commands; raises Error at the
    // first step that fails, having released whatever it had obtained.
    explicit HostContext(AutomationService& service);

    HostContext(const HostContext&) = delete;
    HostContext& operator=(const HostContext&) = delete;

    HostObject& commands() { return *commands_; }

  private:
    // Declared in the order they are obtained, so they are released in reverse.
    HostObjectPtr application_;
    HostObjectPtr partProgram_;
    HostObjectPtr commands_;
};

}  // namespace dravosk
