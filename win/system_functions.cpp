#include "win/system_functions.h"

#include <string>
#include <string_view>

#include "win/handles.h"

namespace dravosk::win {

namespace {

constexpr int kEffectiveDpi = 0;  // shcore.dll's MONITOR_DPI_TYPE MDT_EFFECTIVE_DPI

// The functions of later releases; null where the system (or a test) has none.
struct Functions {
    // kernel32.dll, Windows 8 (7 SP1 with KB2533623, which brings the LOAD_LIBRARY_SEARCH_* flags).
    BOOL(WINAPI* setDefaultDllDirectories)(DWORD) = nullptr;
    // shcore.dll, Windows 8.1.
    HRESULT(WINAPI* getDpiForMonitor)(HMONITOR, int, UINT*, UINT*) = nullptr;
    // user32.dll, Windows 10 1607.
    UINT(WINAPI* getDpiForWindow)(HWND) = nullptr;
    BOOL(WINAPI* adjustWindowRectExForDpi)(RECT*, DWORD, BOOL, DWORD, UINT) = nullptr;
    int(WINAPI* getSystemMetricsForDpi)(int, UINT) = nullptr;
    BOOL(WINAPI* systemParametersInfoForDpi)(UINT, UINT, void*, UINT, UINT) = nullptr;
};

// The detour through void (*)() is the cast GCC accepts between function pointer types.
template <typename Function>
bool resolve(HMODULE module, const char* name, Function& function) {
    function = module == nullptr ? nullptr
                                 : reinterpret_cast<Function>(
                                       reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
    return function != nullptr;
}

HMODULE loadFromSystemFolder(const Functions& functions, const wchar_t* fileName) {
    const std::wstring_view name(fileName != nullptr ? fileName : L"");
    // A path would lead the load out of the system folder.
    if (name.empty() || name.find_first_of(L"\\/:") != std::wstring_view::npos) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (functions.setDefaultDllDirectories != nullptr) {
        return LoadLibraryExW(fileName, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    }
    // The full path, and the DLL's dependencies looked for in its folder before the program's.
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return nullptr;
    }
    std::wstring path(folder, length);
    path += L'\\';
    path += name;
    return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

Functions lookUp(WindowsRelease release) {
    Functions functions;
    // Both are loaded in every process of these programs: their import tables name them.
    const HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
    const HMODULE user32 = GetModuleHandleW(L"user32.dll");
    if (release >= WindowsRelease::windows8) {
        resolve(kernel32, "SetDefaultDllDirectories", functions.setDefaultDllDirectories);
    }
    if (release >= WindowsRelease::windows10_1607) {
        resolve(user32, "GetDpiForWindow", functions.getDpiForWindow);
        resolve(user32, "AdjustWindowRectExForDpi", functions.adjustWindowRectExForDpi);
        resolve(user32, "GetSystemMetricsForDpi", functions.getSystemMetricsForDpi);
        resolve(user32, "SystemParametersInfoForDpi", functions.systemParametersInfoForDpi);
    }
    // shcore.dll (none on 7 and 8) only where user32 lacks what it stands in for; it stays loaded.
    if (release >= WindowsRelease::windows8_1 && functions.getDpiForWindow == nullptr) {
        const HMODULE shcore = loadFromSystemFolder(functions, L"shcore.dll");
        resolve(shcore, "GetDpiForMonitor", functions.getDpiForMonitor);
    }
    return functions;
}

Functions& current() {
    static Functions functions = lookUp(WindowsRelease::newest);
    return functions;
}

}  // namespace

void pretendWindowsRelease(WindowsRelease release) {
    current() = lookUp(release);
}

bool restrictDllSearch() {
    if (const auto restrict = current().setDefaultDllDirectories) {
        if (restrict(LOAD_LIBRARY_SEARCH_SYSTEM32) != FALSE) {
            return true;
        }
    }
    SetDllDirectoryW(L"");
    return false;
}

HMODULE loadSystemLibrary(const wchar_t* fileName) {
    return loadFromSystemFolder(current(), fileName);
}

UINT systemDpi() {
    const unique_window_dc screen(nullptr);
    if (!screen) {
        return USER_DEFAULT_SCREEN_DPI;
    }
    const int dpi = GetDeviceCaps(screen.get(), LOGPIXELSY);
    return dpi > 0 ? static_cast<UINT>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

UINT windowDpi(HWND window) {
    const Functions& functions = current();
    if (functions.getDpiForWindow != nullptr) {
        if (const UINT dpi = functions.getDpiForWindow(window); dpi != 0) {
            return dpi;
        }
    }
    if (functions.getDpiForMonitor != nullptr) {
        UINT dpiX = 0;
        UINT dpiY = 0;
        const HMONITOR monitor = MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
        if (SUCCEEDED(functions.getDpiForMonitor(monitor, kEffectiveDpi, &dpiX, &dpiY)) &&
            dpiY != 0) {
            return dpiY;
        }
    }
    return systemDpi();
}

bool nonClientMetrics(NONCLIENTMETRICSW& metrics, UINT dpi) {
    metrics = {};
    metrics.cbSize = sizeof metrics;
    if (const auto forDpi = current().systemParametersInfoForDpi) {
        return forDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi) != FALSE;
    }
    // The system gives them at the system DPI.
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        return false;
    }
    const int to = static_cast<int>(dpi);
    const int from = static_cast<int>(systemDpi());
    if (to == from) {
        return true;
    }
    for (int* size : {&metrics.iBorderWidth, &metrics.iScrollWidth, &metrics.iScrollHeight,
                      &metrics.iCaptionWidth, &metrics.iCaptionHeight, &metrics.iSmCaptionWidth,
                      &metrics.iSmCaptionHeight, &metrics.iMenuWidth, &metrics.iMenuHeight,
                      &metrics.iPaddedBorderWidth}) {
        *size = MulDiv(*size, to, from);
    }
    for (LOGFONTW* font : {&metrics.lfCaptionFont, &metrics.lfSmCaptionFont, &metrics.lfMenuFont,
                           &metrics.lfStatusFont, &metrics.lfMessageFont}) {
        font->lfHeight = MulDiv(font->lfHeight, to, from);
        font->lfWidth = MulDiv(font->lfWidth, to, from);
    }
    return true;
}

int systemMetric(int index, UINT dpi) {
    if (const auto forDpi = current().getSystemMetricsForDpi) {
        return forDpi(index, dpi);
    }
    return MulDiv(GetSystemMetrics(index), static_cast<int>(dpi), static_cast<int>(systemDpi()));
}

bool adjustWindowRect(RECT& rect, DWORD style, DWORD exStyle, UINT dpi) {
    if (const auto forDpi = current().adjustWindowRectExForDpi) {
        return forDpi(&rect, style, FALSE, exStyle, dpi) != FALSE;
    }
    return AdjustWindowRectEx(&rect, style, FALSE, exStyle) != FALSE;
}

std::optional<ThemeFunctions> loadThemeFunctions(const wchar_t* dll) {
    unique_hmodule module(loadSystemLibrary(dll));
    const HMODULE m = module.get();
    ThemeFunctions functions{};
    if (!resolve(m, "GetWindowTheme", functions.windowTheme) ||
        !resolve(m, "GetThemeBackgroundContentRect", functions.backgroundContentRect) ||
        !resolve(m, "IsThemeBackgroundPartiallyTransparent", functions.partiallyTransparent) ||
        !resolve(m, "DrawThemeParentBackground", functions.drawParentBackground) ||
        !resolve(m, "DrawThemeBackground", functions.drawBackground)) {
        return std::nullopt;
    }
    static_cast<void>(module.release());
    return functions;
}

const ThemeFunctions* themeFunctions() {
    // Kept for the process's life: the buttons draw until the last window is gone.
    static const std::optional<ThemeFunctions> functions = loadThemeFunctions();
    return functions ? &*functions : nullptr;
}

}  // namespace dravosk::win
