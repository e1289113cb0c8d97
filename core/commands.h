// The window's commands that reach the host, each one procedure named after its button's click
// event, and the walk over the part program they share. markAll and unmarkAll need no host.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "core/command_progress.h"
#include "core/controls.h"
#include "core/host.h"

namespace dravosk {

// Read: replaces the list with the identifiers of all features of the host's active part program.
void cmd_lesen_Click(AutomationService& service, FeatureList& list, ControlStates& states,
                     CommandProgress& progress);

// Write: reverses the chosen vectors of every feature whose identifier is marked, keeping in
// `progress` the record of what it wrote for the report of any failure, the final message's too.
void cmd_schreiben_Click(AutomationService& service, FeatureList& list, ControlStates& states,
                         CommandProgress& progress);

inline constexpr std::u16string_view kWrittenMessage = u"Alle selektierten Merkmale umgekehrt";

// How Write and its report name the data sets reversed in `feature`, in the order written ("Theo,
// IST": codes 2, 3, 27 are Theo, IST, Ziel, others decimal), and a feature's data set as a step.
std::u16string reversedNames(const WriteRecord::Feature& feature);
std::u16string dataSetStep(const std::u16string& id, std::int32_t code);

// The three host objects every command obtains first, released when it ends, however it ends.
class HostContext {
  public:
    // Gets the application, ActivePartProgram, Commands; on failure releases all, raises Error.
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

// More commands than this end the walk with Error(kTooManyCommands) before the first one beyond is
// asked anything. Commands without a list entry (not features, or with an empty identifier) are
// not bounded by the list's 32,767, so a collection cycling through them would be walked for ever;
// 32 commands for every entry of a full list is still far beyond any real part program.
inline constexpr std::size_t kMaxCommands = std::size_t{1} << 20;

// Calls onFeature(featureCommand, identifier) for every command whose IsFeature is true, in host
// order; others are asked nothing more. onFeature may take the feature object over, else it is
// released before the next command. Each command is a step of `progress` named by its 1-based
// position ("Befehl 5"), so errors within it are named that way.
void forEachFeature(
    HostEnumerator& commands, CommandProgress& progress,
    const std::function<void(HostObjectPtr& feature, const std::u16string& id)>& onFeature);

}  // namespace dravosk
