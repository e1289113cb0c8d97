// Runs a button's command behind the window's one exception barrier.
#pragma once

#include <windows.h>

#include <optional>

#include "core/command_progress.h"
#include "core/control_states.h"
#include "core/error.h"
#include "core/feature_list.h"
#include "core/host.h"
#include "ui/button_commands.h"

namespace dravosk::ui {

// Runs `command` with the hourglass showing and, where the table says so, `listBox`'s drawing
// suspended. Nothing may unwind through the window procedure: every failure comes back as the
// tool's Error, one that is not the tool's own named after the command's click event. What the
// command wrote stays in `progress`, whatever the failure, for the report.
std::optional<Error> runButtonCommand(const ButtonCommand& command, AutomationService& service,
                                      FeatureList& list, ControlStates& states,
                                      CommandProgress& progress, HWND listBox);

}  // namespace dravosk::ui
