// The window by itself, without a host: the program file's resources, the controls as the window
// starts, their places, the tab order, the keys and closing.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "demo/form1_remote.h"
#include "tests/e2e/scenarios.h"
#include "tests/e2e/window_driving.h"
#include "win/handles.h"
#include "win/system_functions.h"

namespace dravosk::e2e {

using namespace demo;

namespace {

// The design table in pixels at 96 DPI (15 twips per pixel), in tab order (as Control).
struct Expected {
    const wchar_t* className;
    const wchar_t* text;
    int left, top, width, height;
};
constexpr Expected kExpected[] = {
    {L"Button", L"Elemente aus offenem Korvane Programm einlesen", 32, 16, 177, 49},
    {L"Button", L"Vektoren der Markierten Elemente umgekehrt in das Programm schreiben", 32, 72,
     177, 57},
    {L"ListBox", L"", 296, 8, 217, 290},
    {L"Button", L"Theo umkehren", 40, 152, 137, 17},
    {L"Button", L"IST umkehren", 40, 176, 137, 17},
    {L"Button", L"Ziel umkehren", 40, 200, 137, 17},
    {L"Static", L"Merkmalvektoren umkehren", 296, 360, 153, 25},
    {L"Button", L"Alle Merkmale selektieren", 296, 304, 97, 33},
    {L"Button", L"Alle Merkmale deselektieren", 408, 304, 97, 33},
    {L"Static", L"", 24, 248, 214, 136},
};
static_assert(std::size(kExpected) == kControlCount);

}  // namespace

// The program file carries the icon, the picture, the manifest and the German version record.
int resources(const std::wstring& exe) {
    {
        const win::unique_hmodule module(LoadLibraryExW(
            exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
        check(module.get() != nullptr, L"the program file opens as resources");
        if (!module) {
            return 1;
        }
        const HMODULE file = module.get();
        check(FindResourceW(file, MAKEINTRESOURCEW(1), RT_GROUP_ICON) != nullptr, L"icon group 1");
        const win::unique_hicon icon(
            static_cast<HICON>(LoadImageW(file, MAKEINTRESOURCEW(1), IMAGE_ICON, 32, 32, 0)));
        check(icon.get() != nullptr, L"a 32 x 32 icon");
        if (const HRSRC bitmap = FindResourceW(file, MAKEINTRESOURCEW(101), RT_BITMAP)) {
            const auto* header =
                static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(file, bitmap)));
            checkEqual(header->biWidth, LONG{262}, L"picture width");
            checkEqual(header->biHeight, LONG{144}, L"picture height");
            checkEqual(header->biBitCount, WORD{24}, L"picture bits per pixel");
        } else {
            check(false, L"picture resource 101");
        }
        if (const HRSRC manifest = FindResourceW(file, MAKEINTRESOURCEW(1), RT_MANIFEST)) {
            const std::string text(
                static_cast<const char*>(LockResource(LoadResource(file, manifest))),
                SizeofResource(file, manifest));
            // PerMonitor for Windows 10 before 1607, which does not know PerMonitorV2.
            check(text.find(">PerMonitorV2, PerMonitor<") != std::string::npos,
                  L"manifest: PerMonitorV2, then PerMonitor");
            // Windows refuses to start a program whose manifest names another architecture than
            // its file ("side-by-side configuration is incorrect").
            DWORD type = 0;
            check(GetBinaryTypeW(exe.c_str(), &type) != 0, L"the program file's architecture");
            const std::string own = text.substr(0, text.find("<dependency>"));
            const std::string architecture = type == SCS_64BIT_BINARY ? "amd64" : "x86";
            check(own.find("processorArchitecture=\"" + architecture + "\"") != std::string::npos,
                  L"manifest: the architecture of the program file");
            check(text.find("Microsoft.Windows.Common-Controls") != std::string::npos,
                  L"manifest: common controls");
            check(text.find("asInvoker") != std::string::npos, L"manifest: asInvoker");
            // Windows 7, 8, 8.1 and 10/11: each runs the program as written for it.
            for (const char* os : {"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
                                   "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
                                   "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
                                   "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}) {
                check(
                    text.find(std::string("<supportedOS Id=\"") + os + "\"/>") != std::string::npos,
                    L"manifest: supported Windows " + std::wstring(os, os + 38));
            }
        } else {
            check(false, L"manifest resource 1");
        }
    }

    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(exe.c_str(), &ignored);
    std::vector<char> data(size);
    check(size != 0 && GetFileVersionInfoW(exe.c_str(), 0, size, data.data()), L"version record");
    if (size == 0) {
        return 1;
    }
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length)) {
        checkEqual(fixed->dwFileVersionMS, DWORD{0x00010000}, L"file version 1.0");
        checkEqual(fixed->dwFileVersionLS, DWORD{0}, L"file version .0.0");
        checkEqual(fixed->dwProductVersionMS, DWORD{0x00010000}, L"product version 1.0");
    } else {
        check(false, L"fixed version");
    }
    DWORD* translation = nullptr;
    if (VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation",
                       reinterpret_cast<void**>(&translation), &length)) {
        checkEqual(*translation, DWORD{0x04B00407}, L"language German, Unicode");
    } else {
        check(false, L"translation");
    }
    const auto value = [&](const wchar_t* name) {
        wchar_t* text = nullptr;
        const std::wstring path = std::wstring(L"\\StringFileInfo\\040704B0\\") + name;
        if (!VerQueryValueW(data.data(), path.c_str(), reinterpret_cast<void**>(&text), &length)) {
            return std::wstring(L"(none)");
        }
        return std::wstring(text);
    };
    checkText(value(L"FileVersion"), L"1.00", L"FileVersion");
    checkText(value(L"ProductVersion"), L"1.00", L"ProductVersion");
    checkText(value(L"ProductName"), L"Dravosk", L"ProductName");
    checkText(value(L"InternalName"), L"Dravosk", L"InternalName");
    checkText(value(L"FileDescription"), L"Dravosk für Korvane", L"FileDescription");
    return failures() == 0 ? 0 : 1;
}

int startState(const std::wstring& exe) {
    App app(exe);
    if (!app.ready()) {
        return 1;
    }
    check(GetMenu(app.window()) == nullptr, L"no menu");

    const bool enabled[kControlCount] = {true, false, true,  true,  true,
                                         true, true,  false, false, true};
    for (std::size_t i = 0; i < kControlCount; ++i) {
        checkEqual(IsWindowEnabled(app.control(Control(i))) != FALSE, enabled[i],
                   std::wstring(controlName(Control(i))) + L" enabled");
    }
    for (Control box : {Check1, Check2, Check3}) {
        checkEqual(SendMessageW(app.control(box), BM_GETCHECK, 0, 0), LRESULT{BST_CHECKED},
                   std::wstring(controlName(box)) + L" checked");
        checkEqual(GetWindowLongW(app.control(box), GWL_STYLE) & BS_TYPEMASK, LONG{BS_AUTOCHECKBOX},
                   std::wstring(controlName(box)) + L" style");
    }
    checkEqual(SendMessageW(app.control(List1), LB_GETCOUNT, 0, 0), LRESULT{0}, L"list entries");
    check(app.focus() == app.control(cmd_lesen), L"cmd_lesen has the focus");

    // Plain push buttons whose captions wrap: no default button anywhere.
    for (Control button : {cmd_lesen, cmd_schreiben, cmd_allemarkieren, cmd_alledemarkieren}) {
        const LONG style = GetWindowLongW(app.control(button), GWL_STYLE);
        checkEqual(style & BS_TYPEMASK, LONG{BS_PUSHBUTTON},
                   std::wstring(controlName(button)) + L" is a plain push button");
        check((style & BS_MULTILINE) != 0, std::wstring(controlName(button)) + L" wraps");
    }
    const LONG listStyle = GetWindowLongW(app.control(List1), GWL_STYLE);
    check((listStyle & LBS_EXTENDEDSEL) != 0, L"List1 has extended selection");
    check((listStyle & LBS_SORT) == 0, L"List1 keeps the host's order");
    return failures() == 0 ? 0 : 1;
}

int layout(const std::wstring& exe) {
    App app(exe);
    if (app.window() == nullptr) {
        return 1;
    }
    checkEqual(win::windowDpi(app.window()), UINT{96}, L"DPI of the test display");
    checkText(windowText(app.window()), kCaption, L"caption");
    RECT client;
    GetClientRect(app.window(), &client);
    checkEqual(client.right, LONG{524}, L"client width");
    checkEqual(client.bottom, LONG{392}, L"client height");

    // The children in z-order are the tab order.
    checkEqual(app.children().size(), std::size_t{kControlCount}, L"number of controls");
    for (std::size_t i = 0; i < app.children().size() && i < kControlCount; ++i) {
        const HWND child = app.children()[i];
        const Expected& e = kExpected[i];
        const std::wstring name = controlName(Control(i));
        check(
            CompareStringOrdinal(className(child).c_str(), -1, e.className, -1, TRUE) == CSTR_EQUAL,
            name + L" is a " + e.className + L" (is " + className(child) + L")");
        checkText(windowText(child), e.text, name + L" caption");
        RECT rect;
        GetWindowRect(child, &rect);
        MapWindowPoints(nullptr, app.window(), reinterpret_cast<POINT*>(&rect), 2);
        checkEqual(rect.left, LONG(e.left), name + L" left");
        checkEqual(rect.top, LONG(e.top), name + L" top");
        checkEqual(rect.right - rect.left, LONG(e.width), name + L" width");
        checkEqual(rect.bottom - rect.top, LONG(e.height), name + L" height");
        check(IsWindowVisible(child) != FALSE, name + L" visible");
    }
    return failures() == 0 ? 0 : 1;
}

int tabOrder(const std::wstring& exe) {
    App app(exe);
    if (!app.ready()) {
        return 1;
    }
    check(activate(app), L"the window takes the keyboard");
    const auto focusIs = [&](Control expected, const wchar_t* step) {
        const bool reached = waitFor([&] { return app.focus() == app.control(expected); }, 2000);
        check(reached, std::wstring(step) + L": focus on " + controlName(expected));
    };
    // Only the enabled tab stops take part: the disabled buttons and the statics are skipped.
    focusIs(cmd_lesen, L"start");
    const Control forward[] = {List1, Check1, Check2, Check3, cmd_lesen};
    for (Control next : forward) {
        press(VK_TAB);
        focusIs(next, L"Tab");
    }
    const Control backward[] = {Check3, Check2, Check1, List1, cmd_lesen};
    for (Control next : backward) {
        press(VK_TAB, true);
        focusIs(next, L"Shift+Tab");
    }
    return failures() == 0 ? 0 : 1;
}

int keys(const std::wstring& exe) {
    App app(exe);
    if (!app.ready()) {
        return 1;
    }
    check(activate(app), L"the window takes the keyboard");
    press(VK_TAB);
    press(VK_TAB);
    check(waitFor([&] { return app.focus() == app.control(Check1); }, 2000), L"focus on Check1");
    // No default and no cancel button: Enter and Esc do nothing.
    press(VK_RETURN);
    press(VK_ESCAPE);
    Sleep(300);
    check(app.messageBox() == nullptr, L"Enter and Esc open nothing");
    check(IsWindow(app.window()) != FALSE, L"Enter and Esc leave the window open");
    checkEqual(SendMessageW(app.control(Check1), BM_GETCHECK, 0, 0), LRESULT{BST_CHECKED},
               L"Check1 after Enter and Esc");
    // The user toggles a check box with the space bar.
    press(VK_SPACE);
    check(waitFor(
              [&] { return SendMessageW(app.control(Check1), BM_GETCHECK, 0, 0) == BST_UNCHECKED; },
              2000),
          L"Space unchecks Check1");
    return failures() == 0 ? 0 : 1;
}

int closing(const std::wstring& exe) {
    App app(exe);
    if (app.window() == nullptr) {
        return 1;
    }
    PostMessageW(app.window(), WM_CLOSE, 0, 0);
    checkEqual(app.waitForExit(5000), DWORD{0}, L"exit code after closing");
    return failures() == 0 ? 0 : 1;
}

}  // namespace dravosk::e2e
