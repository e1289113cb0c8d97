#include "core/commands.h"
#include "core/feature_walk.h"
#include "core/host_context.h"

namespace dravosk {

void cmd_lesen_Click(AutomationService& service, FeatureList& list, ControlStates& states,
                     CommandProgress& progress) {
    progress.begin();
    HostContext host(service);
    HostEnumeratorPtr commands = host.commands().enumerate();
    // Only now that the host answered may the old list go.
    list.clear();
    forEachFeature(*commands, progress, [&](HostObjectPtr&, const std::u16string& id) {
        if (!id.empty()) {  // exact: a text of blanks is listed
            list.append(id);
        }
    });
    states.setEnabled(Button::schreiben, true);
    states.setEnabled(Button::allemarkieren, true);
    states.setEnabled(Button::alledemarkieren, true);
}

void cmd_lesen_Click(AutomationService& service, FeatureList& list, ControlStates& states) {
    CommandProgress progress;
    cmd_lesen_Click(service, list, states, progress);
}

}  // namespace dravosk
