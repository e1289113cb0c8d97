#include "win/message_queue.h"

namespace dravosk::win {

namespace {

struct Range {
    UINT first;
    UINT last;
};

// The input messages, ascending, numbers spelled out: some are declared only for newer Windows
// than the headers target, and WM_KEYLAST and WM_MOUSELAST vary with that; the messages do not.
constexpr Range kInput[] = {
    {WM_NCMOUSEMOVE, WM_NCXBUTTONDBLCLK},
    {WM_INPUT, WM_INPUT},
    {WM_KEYFIRST, 0x0109},    // up to WM_UNICHAR
    {0x0119, 0x011A},         // WM_GESTURE, WM_GESTURENOTIFY
    {WM_MOUSEFIRST, 0x020E},  // up to WM_MOUSEHWHEEL
    {0x0240, 0x024F},         // WM_TOUCH, WM_NCPOINTER*, WM_POINTER* up to WM_POINTERHWHEEL
};

// Follows the input thrown away for a click on a window's close box (the left button pressed
// and let go on it) or F4 pressed with Alt: what DefWindowProc would have turned into SC_CLOSE.
class CloseWatch {
  public:
    // The top-level window `message` asks to close, or null.
    HWND closeAsked(const MSG& message) noexcept {
        switch (message.message) {
            case WM_NCLBUTTONDOWN:
                pressedOn_ = message.wParam == HTCLOSE ? message.hwnd : nullptr;
                return nullptr;
            case WM_NCLBUTTONUP: {
                const bool clicked = message.wParam == HTCLOSE && message.hwnd == pressedOn_;
                pressedOn_ = nullptr;
                return clicked ? topLevel(message.hwnd) : nullptr;
            }
            case WM_SYSKEYDOWN:
                // Context code (bit 29): Alt was held.
                return message.wParam == VK_F4 && (message.lParam & (LPARAM{1} << 29)) != 0
                           ? topLevel(message.hwnd)
                           : nullptr;
            default:
                return nullptr;
        }
    }

  private:
    static HWND topLevel(HWND window) noexcept {
        return window != nullptr ? ::GetAncestor(window, GA_ROOT) : nullptr;
    }

    HWND pressedOn_ = nullptr;
};

}  // namespace

bool takeMessageButInput(MSG& message) noexcept {
    // PeekMessage takes one range at a time: ask each gap between the input ranges in turn.
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
    // Each range in arrival order: a press and a release on the close box are both in the first.
    CloseWatch closing;
    MSG message;
    for (const Range& input : kInput) {
        while (::PeekMessageW(&message, nullptr, input.first, input.last, PM_REMOVE)) {
            // What SC_CLOSE comes to in DefWindowProc, posted: whatever runs on this thread now
            // finishes first, then the window decides. Not SC_CLOSE itself: the window may be
            // disabled by then, under a box the command shows, and so take no system command.
            if (const HWND window = closing.closeAsked(message)) {
                ::PostMessageW(window, WM_CLOSE, 0, 0);
            }
        }
    }
}

}  // namespace dravosk::win
