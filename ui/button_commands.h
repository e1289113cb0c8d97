// The four buttons of Form1 and what a click on each runs: one line per button.
#pragma once

#include <array>
#include <string_view>

#include "core/commands.h"
#include "ui/layout.h"

namespace dravosk::ui {

struct ButtonCommand {
    Slot slot;                 // the button
    std::u16string_view name;  // its click event, named as the failing step in a report
    CommandHandler handler;
    // The command changes every line of List1, which is then drawn once when it is done (also
    // when it fails, before the report) rather than line by line.
    bool redrawListOnce;
    // The command waits for the host, and other programs' clicks may arrive meanwhile.
    bool callsHost;
};

inline constexpr std::array<ButtonCommand, 4> kButtonCommands = {{
    {Slot::cmd_lesen, u"cmd_lesen_Click", &cmd_lesen_Click, true, true},
    // Write's message stands over the list while it is open: the list keeps drawing.
    {Slot::cmd_schreiben, u"cmd_schreiben_Click", &cmd_schreiben_Click, false, true},
    {Slot::cmd_allemarkieren, u"cmd_allemarkieren_Click", &cmd_allemarkieren_Click, true, false},
    {Slot::cmd_alledemarkieren, u"cmd_alledemarkieren_Click", &cmd_alledemarkieren_Click, true,
     false},
}};

}  // namespace dravosk::ui
