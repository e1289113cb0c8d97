#include "ui/busy_question.h"

#include <algorithm>
#include <vector>

#include "core/control_states.h"
#include "ui/error_report.h"
#include "win/system_functions.h"
#include "win/text.h"

namespace dravosk::ui {

namespace {

constexpr int kTextId = 102;
constexpr int kIconId = 103;

// The layout in dialog units, as the platform's own message boxes have it: icon left, text
// right of it, the buttons under both at the right.
constexpr short kMargin = 10;
constexpr short kIconSize = 20;
constexpr short kTextLeft = kMargin + kIconSize + 10;
constexpr short kTextWidth = 210;
constexpr short kWidth = kTextLeft + kTextWidth + kMargin;
constexpr short kButtonWidth = 56;
constexpr short kButtonHeight = 14;
constexpr short kButtonGap = 6;
constexpr short kGapAboveButtons = 12;

// An in-memory DLGTEMPLATE with its items, built in 16-bit words as the format lays it out.
class Template {
  public:
    Template(DWORD style, const std::wstring& caption, WORD points, const std::wstring& font,
             short height, WORD items) {
        add(style);
        add(0);  // extended style
        words_.push_back(items);
        addPlace(0, 0, kWidth, height);
        words_.push_back(0);  // no menu
        words_.push_back(0);  // the dialog class
        addText(caption);
        words_.push_back(points);
        addText(font);
    }

    // `windowClass` is one of the predefined class atoms (0x0080 button, 0x0082 static).
    void item(WORD windowClass, DWORD style, int id, short x, short y, short cx, short cy,
              const std::wstring& text) {
        if (words_.size() % 2 != 0) {
            words_.push_back(0);  // every item starts on a DWORD
        }
        add(style | WS_CHILD | WS_VISIBLE);
        add(0);
        addPlace(x, y, cx, cy);
        words_.push_back(static_cast<WORD>(id));
        words_.push_back(0xFFFF);
        words_.push_back(windowClass);
        addText(text);
        words_.push_back(0);  // no creation data
    }

    const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

  private:
    void add(DWORD value) {
        words_.push_back(LOWORD(value));
        words_.push_back(HIWORD(value));
    }
    void addPlace(short x, short y, short cx, short cy) {
        for (const short value : {x, y, cx, cy}) {
            words_.push_back(static_cast<WORD>(value));
        }
    }
    void addText(const std::wstring& text) {
        words_.insert(words_.end(), text.begin(), text.end());
        words_.push_back(0);
    }

    // A vector's buffer is aligned for any fundamental type, so the template starts on a DWORD.
    std::vector<WORD> words_;
};

RECT rectOf(HWND control, HWND dialog) {
    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// Gives the text the height it needs at its width, puts the buttons under it and the dialog
// over the middle of its owner, inside the owner's screen.
void layOut(HWND dialog) {
    const HWND text = GetDlgItem(dialog, kTextId);
    const RECT textRect = rectOf(text, dialog);
    std::wstring content(static_cast<std::size_t>(GetWindowTextLengthW(text)) + 1, L'\0');
    GetWindowTextW(text, content.data(), static_cast<int>(content.size()));
    content.resize(content.size() - 1);

    RECT needed{0, 0, textRect.right - textRect.left, 0};
    const HDC dc = GetDC(text);
    const HGDIOBJ previous =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(text, WM_GETFONT, 0, 0)));
    DrawTextW(dc, content.c_str(), static_cast<int>(content.size()), &needed,
              DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX);
    SelectObject(dc, previous);
    ReleaseDC(text, dc);

    const RECT iconRect = rectOf(GetDlgItem(dialog, kIconId), dialog);
    const int contentBottom =
        static_cast<int>(std::max(textRect.top + needed.bottom, iconRect.bottom));
    SetWindowPos(text, nullptr, 0, 0, textRect.right - textRect.left, needed.bottom,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

    RECT units{0, kGapAboveButtons, 0, kMargin};
    MapDialogRect(dialog, &units);
    const int buttonTop = contentBottom + units.top;
    int bottom = buttonTop;
    for (const int id : {kWaitButton, kCancelButton}) {
        const HWND button = GetDlgItem(dialog, id);
        const RECT rect = rectOf(button, dialog);
        SetWindowPos(button, nullptr, rect.left, buttonTop, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        bottom = buttonTop + static_cast<int>(rect.bottom - rect.top);
    }

    RECT client;
    GetClientRect(dialog, &client);
    RECT frame{0, 0, client.right, bottom + units.bottom};
    win::adjustWindowRect(frame, static_cast<DWORD>(GetWindowLongW(dialog, GWL_STYLE)),
                          static_cast<DWORD>(GetWindowLongW(dialog, GWL_EXSTYLE)),
                          win::windowDpi(dialog));
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;

    RECT around;
    const HWND owner = GetWindow(dialog, GW_OWNER);
    if (owner == nullptr || !GetWindowRect(owner, &around)) {
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &around, 0);
    }
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromRect(&around, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& area = monitor.rcWork;
    int left = (around.left + around.right - width) / 2;
    int top = (around.top + around.bottom - height) / 2;
    left =
        std::max(static_cast<int>(area.left), std::min(left, static_cast<int>(area.right) - width));
    top =
        std::max(static_cast<int>(area.top), std::min(top, static_cast<int>(area.bottom) - height));
    SetWindowPos(dialog, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK questionProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            SetDlgItemTextW(dialog, kTextId, reinterpret_cast<const wchar_t*>(lParam));
            SendDlgItemMessageW(dialog, kIconId, STM_SETICON,
                                reinterpret_cast<WPARAM>(LoadIconW(nullptr, IDI_WARNING)), 0);
            layOut(dialog);
            return TRUE;  // the focus on the first tab stop, "Warten"
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case kWaitButton:
                case kCancelButton:
                    EndDialog(dialog, LOWORD(wParam));
                    return TRUE;
                case IDCANCEL:
                    // Esc and a close message: no answer, the buttons decide.
                    return TRUE;
                default:
                    return FALSE;
            }
        default:
            return FALSE;
    }
}

}  // namespace

std::wstring busyQuestionText(std::chrono::seconds waited, std::u16string_view step) {
    // As long a step as an error report's description; a feature's identifier can be any length.
    return L"Korvane antwortet seit " + std::to_wstring(waited.count()) + L" s nicht (" +
           shortenedText(step, kMaxDescription) + L"). Weiter warten oder abbrechen?";
}

bool askToWaitOn(HWND owner, const std::wstring& text) {
    // The font of the platform's message boxes, in points at 96 DPI (the dialog manager scales
    // it for the monitor).
    std::wstring font = L"MS Shell Dlg";
    WORD points = 8;
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (win::nonClientMetrics(metrics, 96) && metrics.lfMessageFont.lfFaceName[0] != L'\0' &&
        metrics.lfMessageFont.lfHeight != 0) {
        font = metrics.lfMessageFont.lfFaceName;
        const LONG height = metrics.lfMessageFont.lfHeight;
        points = static_cast<WORD>(MulDiv(height < 0 ? -height : height, 72, 96));
    }

    const short buttonsTop = kMargin + kIconSize + kGapAboveButtons;
    Template dialog(DS_MODALFRAME | DS_SETFONT | DS_SETFOREGROUND | WS_POPUP | WS_CAPTION,
                    win::wide(kAppTitle), points, font, buttonsTop + kButtonHeight + kMargin, 4);
    dialog.item(0x0080, BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, kWaitButton,
                kWidth - kMargin - 2 * kButtonWidth - kButtonGap, buttonsTop, kButtonWidth,
                kButtonHeight, L"Warten");
    dialog.item(0x0080, BS_PUSHBUTTON | WS_TABSTOP, kCancelButton, kWidth - kMargin - kButtonWidth,
                buttonsTop, kButtonWidth, kButtonHeight, L"Abbrechen");
    dialog.item(0x0082, SS_ICON, kIconId, kMargin, kMargin, kIconSize, kIconSize, L"");
    dialog.item(0x0082, SS_LEFT | SS_NOPREFIX | SS_EDITCONTROL, kTextId, kTextLeft, kMargin,
                kTextWidth, kIconSize, L"");

    const INT_PTR answer =
        DialogBoxIndirectParamW(GetModuleHandleW(nullptr), dialog.get(), owner, questionProcedure,
                                reinterpret_cast<LPARAM>(text.c_str()));
    return answer != kCancelButton;
}

}  // namespace dravosk::ui
