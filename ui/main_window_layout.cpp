#include "ui/main_window.h"

#include <utility>

#include "ui/resource.h"
#include "win/system_functions.h"

namespace dravosk::ui {

namespace {

struct ChildStyle {
    const wchar_t* className;
    DWORD style;
    DWORD exStyle;
};

ChildStyle childStyle(ControlKind kind) {
    constexpr DWORD child = WS_CHILD | WS_VISIBLE;
    switch (kind) {
        case ControlKind::pushButton:
            // A plain push button: none of them is the default or the cancel button.
            return {L"BUTTON", child | WS_TABSTOP | BS_PUSHBUTTON | BS_MULTILINE, 0};
        case ControlKind::listBox:
            return {L"LISTBOX",
                    child | WS_TABSTOP | WS_VSCROLL | LBS_EXTENDEDSEL | LBS_NOINTEGRALHEIGHT,
                    WS_EX_CLIENTEDGE};
        case ControlKind::checkBox:
            return {L"BUTTON", child | WS_TABSTOP | BS_AUTOCHECKBOX, 0};
        case ControlKind::label:
            return {L"STATIC", child | SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0};
        case ControlKind::picture:
            return {L"STATIC", child | SS_BITMAP | SS_REALSIZECONTROL, 0};
    }
    return {L"STATIC", child, 0};
}

}  // namespace

void MainWindow::createControls() {
    for (std::size_t i = 0; i < kControls.size(); ++i) {
        const ControlDesign& design = kControls[i];
        const ChildStyle style = childStyle(design.kind);
        DWORD windowStyle = style.style;
        const auto slot = static_cast<Slot>(i);
        // At start only cmd_lesen can be clicked.
        if (design.kind == ControlKind::pushButton && slot != Slot::cmd_lesen) {
            windowStyle |= WS_DISABLED;
        }
        // Created in tab order, which is the order Tab walks them.
        controls_[i] = CreateWindowExW(
            style.exStyle, style.className, design.caption != nullptr ? design.caption : L"",
            windowStyle, 0, 0, 0, 0, hwnd(),
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(design.id)), instance_, nullptr);
        if (controls_[i] != nullptr && design.kind == ControlKind::checkBox) {
            SendMessageW(controls_[i], BM_SETCHECK, BST_CHECKED, 0);
        }
    }

    picture_.reset(static_cast<HBITMAP>(LoadImageW(instance_, MAKEINTRESOURCEW(IDB_PICTURE),
                                                   IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    if (picture_) {
        SendMessageW(control(Slot::Image1), STM_SETIMAGE, IMAGE_BITMAP,
                     reinterpret_cast<LPARAM>(picture_.get()));
    }

    list_.emplace(control(Slot::List1));
    states_.emplace(hwnd(), controls_);
}

void MainWindow::fitClientArea(UINT dpi, int left, int top) {
    const PixelSize client = clientSize(dpi);
    RECT frame{0, 0, client.width, client.height};
    win::adjustWindowRect(frame, kWindowStyle, kWindowExStyle, dpi);
    SetWindowPos(hwnd(), nullptr, left, top, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);

    // Where the frame the system actually draws differs from the computed one (its metrics may
    // lag behind a DPI change), correct by the difference once.
    RECT actual;
    GetClientRect(hwnd(), &actual);
    const int missingWidth = client.width - actual.right;
    const int missingHeight = client.height - actual.bottom;
    if (missingWidth != 0 || missingHeight != 0) {
        RECT window;
        GetWindowRect(hwnd(), &window);
        SetWindowPos(hwnd(), nullptr, 0, 0, window.right - window.left + missingWidth,
                     window.bottom - window.top + missingHeight,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void MainWindow::applyDpi(UINT dpi) {
    takeFont(dpi);
    takeIcons(dpi);
    placeControls(dpi);
}

void MainWindow::takeFont(UINT dpi) {
    NONCLIENTMETRICSW metrics;
    win::unique_hfont font;
    if (win::nonClientMetrics(metrics, dpi)) {
        font.reset(CreateFontIndirectW(&metrics.lfMessageFont));
    }
    // Stock objects belong to the system.
    const HFONT shown = font ? font.get() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    for (HWND control : controls_) {
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(shown), TRUE);
    }
    // The old font is released only now that no control shows it.
    font_ = std::move(font);
}

void MainWindow::takeIcons(UINT dpi) {
    const auto load = [&](int widthMetric, int heightMetric) {
        return win::unique_hicon(static_cast<HICON>(LoadImageW(
            instance_, MAKEINTRESOURCEW(IDI_DRAVOSK), IMAGE_ICON,
            win::systemMetric(widthMetric, dpi), win::systemMetric(heightMetric, dpi), 0)));
    };
    win::unique_hicon big = load(SM_CXICON, SM_CYICON);
    win::unique_hicon small = load(SM_CXSMICON, SM_CYSMICON);
    SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big.get()));
    SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.get()));
    bigIcon_ = std::move(big);
    smallIcon_ = std::move(small);
}

void MainWindow::placeControls(UINT dpi) {
    for (std::size_t i = 0; i < kControls.size(); ++i) {
        const PixelRect rect = toPixels(kControls[i].twips, dpi);
        SetWindowPos(controls_[i], nullptr, rect.left, rect.top, rect.width, rect.height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

}  // namespace dravosk::ui
