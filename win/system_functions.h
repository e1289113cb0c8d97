// What the programs need of Windows releases after Windows 7 SP1, the oldest they run on. Built
// against it, they import nothing a later release brought; the few later functions they use are
// looked up once at run time in the system DLLs; where one is missing, what 7 SP1 offers serves:
//   DPI          Windows 10 1607: per-monitor DPI, metrics and frames for any DPI; Windows 8.1:
//                the monitor's DPI (shcore.dll), metrics scaled from the system DPI; before: the
//                system DPI alone, metrics scaled from it.
//   Themes       uxtheme.dll from the system folder alone (it is no known DLL: a static import
//                would let the loader take one planted beside the program); else the classic face.
//   DLL loading  Windows 8 (7 with KB2533623): every later load restricted to the system folder;
//                before: the current folder out of the search, own loads by full path there.
#pragma once

#include <windows.h>
// uxtheme.h needs windows.h first
#include <uxtheme.h>

#include <optional>

namespace dravosk::win {

// The releases that brought a function looked up here, oldest first.
enum class WindowsRelease {
    windows7,  // Windows 7 SP1: no function of this file
    windows8,
    windows8_1,
    windows10_1607,
    newest,  // whatever the system has
};

// For tests: from now on functions of releases after `release` count as missing (`newest`: none
// do). Call it before any window is created, on the thread that creates them.
void pretendWindowsRelease(WindowsRelease release);

// Call first, before anything else is loaded. Restricts every later DLL load of the process to
// the system folder: true; where it cannot, takes the current folder out of the search: false.
bool restrictDllSearch();

// Loads the system DLL `fileName` (a bare file name) from the system folder alone, its own
// dependencies looked for there first; nullptr, with GetLastError, when that fails.
HMODULE loadSystemLibrary(const wchar_t* fileName);

// The system DPI: that of the primary monitor when the user logged on.
UINT systemDpi();

// `window`'s DPI: its monitor's where the system scales per monitor, else the system DPI.
UINT windowDpi(HWND window);

// Fills `metrics` with SPI_GETNONCLIENTMETRICS for `dpi`; false when the system gives none.
bool nonClientMetrics(NONCLIENTMETRICSW& metrics, UINT dpi);

// GetSystemMetrics(`index`) for `dpi`.
int systemMetric(int index, UINT dpi);

// Grows client rectangle `rect` to the window rectangle of a window without menu with `style`
// and `exStyle` at `dpi`; where the system draws frames at the system DPI only, with that frame.
bool adjustWindowRect(RECT& rect, DWORD style, DWORD exStyle, UINT dpi);

// The theme functions the push buttons draw with, all of them or none.
struct ThemeFunctions {
    decltype(&::GetWindowTheme) windowTheme;
    decltype(&::GetThemeBackgroundContentRect) backgroundContentRect;
    decltype(&::IsThemeBackgroundPartiallyTransparent) partiallyTransparent;
    decltype(&::DrawThemeParentBackground) drawParentBackground;
    decltype(&::DrawThemeBackground) drawBackground;
};

// Loads `dll` with loadSystemLibrary and takes the functions from it; nullopt (the DLL let go
// again) when it or any function is missing. A DLL that was loaded stays until the process ends.
std::optional<ThemeFunctions> loadThemeFunctions(const wchar_t* dll = L"uxtheme.dll");

// The program's one set, loaded on first use; null where there is none: draw the classic face.
const ThemeFunctions* themeFunctions();

}  // namespace dravosk::win
