#include "ui/theme_api.h"

#include "win/system_functions.h"

namespace dravosk::ui {

namespace {

// GetProcAddress hands out one generic type; the detour through void (*)() is the cast GCC
// accepts between function pointer types.
template <typename Function>
bool resolve(HMODULE module, const char* name, Function& function) {
    function =
        reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
    return function != nullptr;
}

}  // namespace

ThemeApi::ThemeApi(const wchar_t* dll) : module_(win::loadSystemLibrary(dll)) {
    if (!module_) {
        return;
    }
    const HMODULE module = module_.get();
    decltype(windowTheme_) getWindowTheme = nullptr;
    const bool complete =
        resolve(module, "GetThemeBackgroundContentRect", backgroundContentRect_) &&
        resolve(module, "IsThemeBackgroundPartiallyTransparent", partiallyTransparent_) &&
        resolve(module, "DrawThemeParentBackground", drawParentBackground_) &&
        resolve(module, "DrawThemeBackground", drawBackground_) &&
        resolve(module, "GetWindowTheme", getWindowTheme);
    // All or nothing: a theme is used only when every function that draws with it is there.
    if (complete) {
        windowTheme_ = getWindowTheme;
    }
}

HTHEME ThemeApi::windowTheme(HWND window) const {
    return windowTheme_ != nullptr ? windowTheme_(window) : nullptr;
}

HRESULT ThemeApi::backgroundContentRect(HTHEME theme, HDC dc, int part, int state,
                                        const RECT* bounds, RECT* content) const {
    return backgroundContentRect_(theme, dc, part, state, bounds, content);
}

bool ThemeApi::backgroundPartiallyTransparent(HTHEME theme, int part, int state) const {
    return partiallyTransparent_(theme, part, state) != FALSE;
}

HRESULT ThemeApi::drawParentBackground(HWND window, HDC dc, RECT* area) const {
    return drawParentBackground_(window, dc, area);
}

HRESULT ThemeApi::drawBackground(HTHEME theme, HDC dc, int part, int state,
                                 const RECT* area) const {
    return drawBackground_(theme, dc, part, state, area, nullptr);
}

const ThemeApi& themeApi() {
    // Lives until the process ends: the buttons draw until the last window is gone.
    static const ThemeApi api;
    return api;
}

}  // namespace dravosk::ui
