#include "tests/ui/test_windows.h"

#include "demo/form1_remote.h"

namespace dravosk::ui::test {

namespace {

SeenBox* current = nullptr;
const std::function<void()>* currentWhileOpen = nullptr;

BOOL CALLBACK confirmBox(HWND hwnd, LPARAM) {
    if (!demo::isMessageBox(hwnd)) {
        return TRUE;
    }
    current->seen = true;
    current->caption = win::windowText(hwnd);
    current->text = demo::messageBoxText(hwnd);
    if (*currentWhileOpen) {
        (*currentWhileOpen)();
    }
    PostMessageW(hwnd, WM_COMMAND, IDOK, 0);
    return FALSE;
}

void CALLBACK onTimer(HWND, UINT, UINT_PTR, DWORD) {
    EnumThreadWindows(GetCurrentThreadId(), confirmBox, 0);
}

}  // namespace

SeenBox confirmingMessageBoxes(const std::function<void()>& action,
                               const std::function<void()>& whileOpen) {
    SeenBox box;
    current = &box;
    currentWhileOpen = &whileOpen;
    // A thread timer: the message box's own loop dispatches it.
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, onTimer);
    action();
    KillTimer(nullptr, timer);
    current = nullptr;
    currentWhileOpen = nullptr;
    return box;
}

int takeQuitMessage() {
    MSG message;
    int code = -1;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            code = static_cast<int>(message.wParam);
        } else {
            DispatchMessageW(&message);
        }
    }
    return code;
}

}  // namespace dravosk::ui::test
