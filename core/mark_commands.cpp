#include "core/commands.h"

namespace dravosk {

void cmd_allemarkieren_Click(AutomationService&, FeatureList& list, ControlStates&,
                             CommandProgress& progress) {
    progress.begin();
    markAll(list);
}

void cmd_alledemarkieren_Click(AutomationService&, FeatureList& list, ControlStates&,
                               CommandProgress& progress) {
    progress.begin();
    unmarkAll(list);
}

}  // namespace dravosk
