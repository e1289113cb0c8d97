#include "ui/busy_question.h"

// commctrl.h needs windows.h first
#include <commctrl.h>

#include "core/control_states.h"
#include "ui/error_report.h"
#include "ui/front_window.h"
#include "win/text.h"

namespace dravosk::ui {

namespace {

HRESULT CALLBACK onQuestionEvent(HWND dialog, UINT event, WPARAM, LPARAM, LONG_PTR) {
    // The operator may have turned to another program during the wait, Korvane's among them:
    // the question stays in front of it.
    if (event == TDN_CREATED) {
        bringToFront(dialog);
    } else if (event == TDN_DESTROYED) {
        stopFlashing(dialog);
    }
    return S_OK;
}

}  // namespace

std::wstring busyQuestionText(std::chrono::seconds waited, std::u16string_view step) {
    // As long a step as an error report's description; a feature's identifier can be any length.
    return L"Korvane antwortet seit " + std::to_wstring(waited.count()) + L" s nicht (" +
           shortenedText(step, kMaxDescription) + L"). Weiter warten oder abbrechen?";
}

bool askToWaitOn(HWND owner, const std::wstring& text) {
    const TASKDIALOG_BUTTON buttons[] = {{kWaitButton, L"Warten"}, {kCancelButton, L"Abbrechen"}};
    const std::wstring title = win::wide(kAppTitle);
    TASKDIALOGCONFIG config{};
    config.cbSize = sizeof config;
    config.hwndParent = owner;
    // Without TDF_ALLOW_DIALOG_CANCELLATION neither Esc nor the close box answers it. Without an
    // owner (asked by the watch's helper thread) it stands alone, centred on the screen, with a
    // taskbar button of its own.
    config.dwFlags = owner != nullptr ? TDF_POSITION_RELATIVE_TO_WINDOW : 0;
    config.pszWindowTitle = title.c_str();
    config.pszMainIcon = TD_WARNING_ICON;
    config.pszContent = text.c_str();
    config.cButtons = static_cast<UINT>(std::size(buttons));
    config.pButtons = buttons;
    config.nDefaultButton = kWaitButton;
    config.pfCallback = onQuestionEvent;
    int pressed = 0;
    if (FAILED(TaskDialogIndirect(&config, &pressed, nullptr, nullptr))) {
        return true;
    }
    return pressed != kCancelButton;
}

}  // namespace dravosk::ui
