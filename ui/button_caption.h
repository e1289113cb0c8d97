// Push buttons whose caption the window draws, so that the narrow marking buttons' three lines
// fit whatever margin the platform's button keeps. The face, frame, font and colours stay the
// platform's; only the caption is laid out over the whole face.
#pragma once

#include <windows.h>
// commctrl.h needs windows.h first
#include <commctrl.h>

namespace dravosk::ui {

// Where the caption may go: the button's face inside its frame (the theme's content margins when
// the button is themed, the classic frame and focus rectangle otherwise).
RECT captionArea(HWND button, HDC dc);

// The caption's lines, word-wrapped and centred in `area` both ways, as `dc` (with the button's
// font selected) draws them. Wider or taller than `area` when the caption does not fit.
RECT captionLayout(HDC dc, const wchar_t* caption, const RECT& area);

// Answers a push button's NM_CUSTOMDRAW: at CDDS_PREPAINT draws face and frame as the platform
// does, then the caption, disabled colour and focus rectangle; anything else is left to the button.
LRESULT drawPushButton(const NMCUSTOMDRAW& draw);

}  // namespace dravosk::ui
