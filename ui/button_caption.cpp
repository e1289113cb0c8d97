#include "ui/button_caption.h"

#include <vssym32.h>

#include <string>

#include "win/handles.h"
#include "win/system_functions.h"
#include "win/text.h"

namespace dravosk::ui {

namespace {

constexpr UINT kCaptionFormat = DT_WORDBREAK | DT_CENTER;

int themeState(bool disabled, bool pushed, bool hot) {
    if (disabled) {
        return PBS_DISABLED;
    }
    if (pushed) {
        return PBS_PRESSED;
    }
    if (hot) {
        return PBS_HOT;
    }
    return PBS_NORMAL;  // none of them is the default button
}

// The button's theme; null when it has none or the system has no theme functions.
HTHEME themeOf(HWND button) {
    const win::ThemeFunctions* themes = win::themeFunctions();
    return themes != nullptr ? themes->windowTheme(button) : nullptr;
}

}  // namespace

RECT captionArea(HWND button, HDC dc) {
    RECT face;
    GetClientRect(button, &face);
    RECT area = face;
    if (const HTHEME theme = themeOf(button)) {
        win::themeFunctions()->backgroundContentRect(theme, dc, BP_PUSHBUTTON, PBS_NORMAL, &face,
                                                     &area);
    } else {
        // The classic frame is two edges wide; the focus rectangle runs one pixel inside it.
        InflateRect(&area, -(GetSystemMetrics(SM_CXEDGE) + 1), -(GetSystemMetrics(SM_CYEDGE) + 1));
    }
    return area;
}

RECT captionLayout(HDC dc, const wchar_t* caption, const RECT& area) {
    RECT lines = area;
    DrawTextW(dc, caption, -1, &lines, kCaptionFormat | DT_CALCRECT);
    const int width = lines.right - lines.left;
    const int height = lines.bottom - lines.top;
    RECT placed;
    placed.left = area.left + ((area.right - area.left) - width) / 2;
    placed.top = area.top + ((area.bottom - area.top) - height) / 2;
    placed.right = placed.left + width;
    placed.bottom = placed.top + height;
    return placed;
}

LRESULT drawPushButton(const NMCUSTOMDRAW& draw) {
    if (draw.dwDrawStage != CDDS_PREPAINT) {
        return CDRF_DODEFAULT;
    }
    const HWND button = draw.hdr.hwndFrom;
    const HDC dc = draw.hdc;
    RECT face;
    GetClientRect(button, &face);

    const bool disabled = (draw.uItemState & CDIS_DISABLED) != 0 || !IsWindowEnabled(button);
    const bool pushed = (SendMessageW(button, BM_GETSTATE, 0, 0) & BST_PUSHED) != 0;
    const bool hot = (draw.uItemState & CDIS_HOT) != 0;
    const bool focused = GetFocus() == button;
    const auto uiState = static_cast<UINT>(SendMessageW(button, WM_QUERYUISTATE, 0, 0));

    if (const HTHEME theme = themeOf(button)) {
        const win::ThemeFunctions& themes = *win::themeFunctions();
        const int state = themeState(disabled, pushed, hot);
        if (themes.partiallyTransparent(theme, BP_PUSHBUTTON, state) != FALSE) {
            themes.drawParentBackground(button, dc, &face);
        }
        themes.drawBackground(theme, dc, BP_PUSHBUTTON, state, &face, nullptr);
    } else {
        DrawFrameControl(
            dc, &face, DFC_BUTTON,
            DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0U) | (disabled ? DFCS_INACTIVE : 0U));
    }

    const RECT area = captionArea(button, dc);
    {
        const auto font = reinterpret_cast<HFONT>(SendMessageW(button, WM_GETFONT, 0, 0));
        const win::select_object selected(dc, font);
        const std::wstring caption = win::windowText(button);
        // Drawn across the whole width of the area, as it was measured: each line is centred
        // there, and a rectangle just as wide as the widest line may wrap it once more.
        const RECT lines = captionLayout(dc, caption.c_str(), area);
        RECT drawn{area.left, lines.top, area.right, lines.bottom};
        if (pushed && themeOf(button) == nullptr) {
            OffsetRect(&drawn, 1, 1);  // the classic face moves in when pressed
        }
        const int oldMode = SetBkMode(dc, TRANSPARENT);
        const COLORREF oldColour =
            SetTextColor(dc, GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
        const win::unique_hrgn clip(CreateRectRgnIndirect(&face));
        const int saved = SaveDC(dc);
        SelectClipRgn(dc, clip.get());
        DrawTextW(dc, caption.c_str(), -1, &drawn,
                  kCaptionFormat | ((uiState & UISF_HIDEACCEL) != 0 ? DT_HIDEPREFIX : 0U));
        RestoreDC(dc, saved);
        SetTextColor(dc, oldColour);
        SetBkMode(dc, oldMode);
    }

    if (focused && (uiState & UISF_HIDEFOCUS) == 0) {
        DrawFocusRect(dc, &area);
    }
    return CDRF_SKIPDEFAULT;
}

}  // namespace dravosk::ui
