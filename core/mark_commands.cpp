#include "core/commands.h"

namespace dravosk {

void cmd_allemarkieren_Click(AutomationService&, FeatureList& list, ControlStates&) {
    markAll(list);
}

void cmd_alledemarkieren_Click(AutomationService&, FeatureList& list, ControlStates&) {
    unmarkAll(list);
}

}  // namespace dravosk
