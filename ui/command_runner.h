// Runs a button's command behind the window's one exception barrier.
#pragma once

#include <windows.h>

#include <optional>

#include "core/command_progress.h"
#include "core/error.h"
#include "core/host.h"
#include "ui/button_commands.h"
#include "ui/listbox_feature_list.h"
#include "ui/window_control_states.h"

namespace dravosk::ui {

// Runs `command` with the hourglass showing and, where the table says so, `list`'s drawing
// suspended. The marks and the check states the command reads are those of the moment it is
// called (the click), held for it until it ends: what another program changes in the controls
// while the command waits for the host shows there, but counts only from the next command on.
// Nothing may unwind through the window procedure: every failure comes back as the tool's Error,
// one that is not the tool's own named after the command's click event. What the command wrote
// stays in `progress`, whatever the failure, for the report.
std::optional<Error> runButtonCommand(const ButtonCommand& command, AutomationService& service,
                                      ListBoxFeatureList& list, WindowControlStates& states,
                                      CommandProgress& progress, HWND listBox);

}  // namespace dravosk::ui
