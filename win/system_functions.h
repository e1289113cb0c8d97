// What the programs need of Windows releases after Windows 7 SP1, the oldest they run on.
//
// The programs are built against Windows 7 SP1, so their import tables name nothing a later
// release brought. The few later functions they use are looked up here at run time, once, in the
// system DLLs; where a function is missing the call falls back to what Windows 7 SP1 offers:
//   DPI          Windows 10 1607: per-monitor DPI, metrics and frames for any DPI;
//                Windows 8.1: the monitor's DPI (shcore.dll), metrics scaled from the system DPI;
//                before: the system DPI alone, metrics scaled from it.
//   DLL loading  Windows 8 (7 with KB2533623): every later load restricted to the system folder;
//                before: the current folder taken out of the search, and the DLLs this program
//                loads itself named by their full path in the system folder.
#pragma once

#include <windows.h>

namespace dravosk::win {

// The releases that brought a function looked up here, oldest first.
enum class WindowsRelease {
    windows7,  // Windows 7 SP1: no function of this file
    windows8,
    windows8_1,
    windows10_1607,
    windows10_1703,
    newest,  // whatever the system has
};

// For tests: from now on every function a release after `release` brought counts as missing, as
// on that release; WindowsRelease::newest takes what the system has again. Call it before any
// window is created, on the thread that creates them.
void pretendWindowsRelease(WindowsRelease release);

// ---- DLL loading

// Call first thing, before anything else is loaded. Restricts every later DLL load of the process
// to the system folder and returns true; where the system cannot (Windows 7 without KB2533623)
// it takes the current folder out of the search and returns false.
bool restrictDllSearch();

// Loads the system DLL `fileName` (a bare file name) from the system folder alone, never from the
// program's folder or the current one; its own dependencies are looked for there first. nullptr,
// with GetLastError, when that fails.
HMODULE loadSystemLibrary(const wchar_t* fileName);

// ---- DPI

// The system DPI: that of the primary monitor when the user logged on.
UINT systemDpi();

// The DPI `window` is shown at: its monitor's where the system scales per monitor, else the
// system DPI.
UINT windowDpi(HWND window);

// Fills `metrics` (SPI_GETNONCLIENTMETRICS) with the fonts and sizes for `dpi`; false when the
// system gives none.
bool nonClientMetrics(NONCLIENTMETRICSW& metrics, UINT dpi);

// GetSystemMetrics(`index`) for `dpi`.
int systemMetric(int index, UINT dpi);

// Grows the client rectangle `rect` to the window rectangle of a window without menu with
// `style` and `exStyle` shown at `dpi`. Where the system draws frames at the system DPI only, it
// is the frame at the system DPI, which is what such a system then draws.
bool adjustWindowRect(RECT& rect, DWORD style, DWORD exStyle, UINT dpi);

// Makes the process aware of each monitor's DPI where the system offers it (PerMonitorV2, else
// per-monitor), else of the system DPI. For a program without a manifest that says so; call
// before any window is created.
void becomeDpiAware();

}  // namespace dravosk::win
