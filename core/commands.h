// The window's commands, each one straight procedure named after its button.
#pragma once

#include "core/command_progress.h"
#include "core/control_states.h"
#include "core/feature_list.h"
#include "core/host.h"

namespace dravosk {

// Each command starts `progress` anew and keeps it up to date while it runs (its steps, and for
// Write the record of what it wrote); the forms without it keep one of their own.

// Read: replaces the list with the identifiers of all features of the host's active part program.
void cmd_lesen_Click(AutomationService& service, FeatureList& list, ControlStates& states,
                     CommandProgress& progress);
void cmd_lesen_Click(AutomationService& service, FeatureList& list, ControlStates& states);

// Write: reverses the chosen vectors of every feature whose identifier is marked in the list. A
// failure, the final message's included, raises Error with the record of what was written.
void cmd_schreiben_Click(AutomationService& service, FeatureList& list, ControlStates& states,
                         CommandProgress& progress);
void cmd_schreiben_Click(AutomationService& service, FeatureList& list, ControlStates& states);

inline constexpr std::u16string_view kWrittenMessage = u"Alle selektierten Merkmale umgekehrt";

}  // namespace dravosk
