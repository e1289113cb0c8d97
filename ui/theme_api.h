// The theme functions the push buttons draw with. UxTheme.dll is no known DLL, so a static import
// would let the loader take a UxTheme.dll planted beside the program; it is loaded here at run time
// from the system folder alone. Where that fails the buttons are drawn without a theme.
#pragma once

#include <windows.h>
// uxtheme.h needs windows.h first
#include <uxtheme.h>

#include "win/unique_handle.h"

namespace dravosk::ui {

class ThemeApi {
  public:
    // Loads `dll` from the system folder only; the functions stay empty when that fails.
    explicit ThemeApi(const wchar_t* dll = L"uxtheme.dll");
    ThemeApi(const ThemeApi&) = delete;
    ThemeApi& operator=(const ThemeApi&) = delete;

    bool loaded() const { return windowTheme_ != nullptr; }

    // nullptr when the theme functions are not there: draw the classic face then.
    HTHEME windowTheme(HWND window) const;
    // The calls below are made only with a theme that windowTheme returned.
    HRESULT backgroundContentRect(HTHEME theme, HDC dc, int part, int state, const RECT* bounds,
                                  RECT* content) const;
    bool backgroundPartiallyTransparent(HTHEME theme, int part, int state) const;
    HRESULT drawParentBackground(HWND window, HDC dc, RECT* area) const;
    HRESULT drawBackground(HTHEME theme, HDC dc, int part, int state, const RECT* area) const;

  private:
    win::unique_hmodule module_;
    decltype(&::GetWindowTheme) windowTheme_ = nullptr;
    decltype(&::GetThemeBackgroundContentRect) backgroundContentRect_ = nullptr;
    decltype(&::IsThemeBackgroundPartiallyTransparent) partiallyTransparent_ = nullptr;
    decltype(&::DrawThemeParentBackground) drawParentBackground_ = nullptr;
    decltype(&::DrawThemeBackground) drawBackground_ = nullptr;
};

// The program's one instance, loaded on first use.
const ThemeApi& themeApi();

}  // namespace dravosk::ui
