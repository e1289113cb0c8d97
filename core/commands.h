// The window's commands, each one straight procedure named after its button's click event. All
// four take the same arguments, so the window can run any of them the same way.
#pragma once

#include "core/command_progress.h"
#include "core/control_states.h"
#include "core/feature_list.h"
#include "core/host.h"

namespace dravosk {

// Each command starts `progress` anew and keeps it up to date while it runs (its steps, and for
// Write the record of what it wrote); the forms without it keep one of their own.
using CommandHandler = void (*)(AutomationService& service, FeatureList& list,
                                ControlStates& states, CommandProgress& progress);

// Read: replaces the list with the identifiers of all features of the host's active part program.
void cmd_lesen_Click(AutomationService& service, FeatureList& list, ControlStates& states,
                     CommandProgress& progress);
void cmd_lesen_Click(AutomationService& service, FeatureList& list, ControlStates& states);

// Write: reverses the chosen vectors of every feature whose identifier is marked in the list. A
// failure, the final message's included, raises Error with the record of what was written.
void cmd_schreiben_Click(AutomationService& service, FeatureList& list, ControlStates& states,
                         CommandProgress& progress);
void cmd_schreiben_Click(AutomationService& service, FeatureList& list, ControlStates& states);
// How Write names the data sets of `feature` it reversed, in the order they were written ("Theo,
// IST": "Theo", "IST" and "Ziel" for the codes 2, 3 and 27, any other code in decimal), and a
// feature's data set as a step ("Merkmal "B1", Datensatz 3"); its report names them alike.
std::u16string reversedNames(const WriteRecord::Feature& feature);
std::u16string dataSetStep(const std::u16string& id, std::int32_t code);

// Marks every entry of the list; neither the host nor the states are touched.
void cmd_allemarkieren_Click(AutomationService& service, FeatureList& list, ControlStates& states,
                             CommandProgress& progress);
// Unmarks every entry of the list; neither the host nor the states are touched.
void cmd_alledemarkieren_Click(AutomationService& service, FeatureList& list, ControlStates& states,
                               CommandProgress& progress);

inline constexpr std::u16string_view kWrittenMessage = u"Alle selektierten Merkmale umgekehrt";

}  // namespace dravosk
