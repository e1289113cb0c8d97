#include "win/message_queue.h"

namespace dravosk::win {

namespace {

struct Range {
    UINT first;
    UINT last;
};

// The input messages, in ascending order. The ends are spelled out: WM_KEYLAST and WM_MOUSELAST
// depend on the Windows version the headers are set to, the messages themselves do not.
constexpr Range kInput[] = {
    {WM_NCMOUSEMOVE, WM_NCXBUTTONDBLCLK},
    {WM_INPUT, WM_INPUT},
    {WM_KEYFIRST, 0x0109},    // up to WM_UNICHAR
    {WM_MOUSEFIRST, 0x020E},  // up to WM_MOUSEHWHEEL
};

}  // namespace

bool takeMessageButInput(MSG& message) noexcept {
    // PeekMessage takes one range of message numbers at a time: ask each gap between the input
    // ranges in turn.
    UINT first = 0;
    for (const Range& input : kInput) {
        if (::PeekMessageW(&message, nullptr, first, input.first - 1, PM_REMOVE)) {
            return true;
        }
        first = input.last + 1;
    }
    return ::PeekMessageW(&message, nullptr, first, 0xFFFF, PM_REMOVE) != FALSE;
}

void discardQueuedInput() noexcept {
    MSG message;
    for (const Range& input : kInput) {
        while (::PeekMessageW(&message, nullptr, input.first, input.last, PM_REMOVE)) {
        }
    }
}

}  // namespace dravosk::win
