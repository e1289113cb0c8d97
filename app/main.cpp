// dravosk.exe: shows Form1 and runs the event loop on the user-interface thread, which lives in a
// single-threaded COM apartment so that every command can reach the host.
#include <windows.h>
// commctrl.h needs windows.h first
#include <commctrl.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "core/error.h"
#include "core/text.h"
#include "host/com_service.h"
#include "ui/host_watch.h"
#include "ui/reports.h"
#include "ui/main_window.h"
#include "win/handles.h"
#include "win/system_functions.h"
#include "win/text.h"

namespace {

// The variable's value; nullopt when it is not set or empty.
std::optional<std::wstring> environmentValue(const wchar_t* name) {
    const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
    if (size <= 1) {
        return std::nullopt;
    }
    std::wstring value(size, L'\0');
    const DWORD length = GetEnvironmentVariableW(name, value.data(), size);
    if (length == 0 || length >= size) {
        return std::nullopt;
    }
    value.resize(length);
    return value;
}

// The program's event loop: runs until the main window is gone and returns the exit code.
int runMessageLoop(dravosk::ui::MainWindow& window) {
    MSG message;
    for (;;) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            return static_cast<int>(message.wParam);
        }
        if (got == -1) {
            return 1;
        }
        if (!window.preTranslate(message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    // Before anything else is loaded, so every DLL loaded later, by this program or on its
    // behalf, comes from the system folder (on Windows 7 without KB2533623: see restrictDllSearch).
    dravosk::win::restrictDllSearch();

    // The version 6 controls (the manifest asks for them) are registered by comctl32.
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    std::optional<dravosk::host::Apartment> apartment;
    try {
        apartment.emplace();
    } catch (const dravosk::Error& error) {
        dravosk::ui::showErrorReport(nullptr, error);
        return 1;
    }

    std::chrono::seconds wait = dravosk::ui::kDefaultWait;
    if (const std::optional<std::wstring> value = environmentValue(L"DRAVOSK_WAIT_S")) {
        const std::optional<std::chrono::seconds> parsed = dravosk::ui::parseWaitSeconds(*value);
        if (!parsed) {
            const dravosk::Error error(
                static_cast<std::int32_t>(E_INVALIDARG),
                u"Die Umgebungsvariable DRAVOSK_WAIT_S muss eine ganze Zahl von Sekunden "
                u"zwischen 1 und " +
                    dravosk::decimal(dravosk::ui::kLongestWait.count()) + u" sein, nicht \"" +
                    dravosk::win::u16(*value) + u"\".",
                u"DRAVOSK_WAIT_S");
            dravosk::ui::showErrorReport(nullptr, error);
            return 1;
        }
        wait = *parsed;
    }

    // Declared after the apartment, so the window and the service are gone before COM is left.
    dravosk::host::ComAutomationService service;
    dravosk::ui::MainWindow window(instance, service, wait);
    service.calls().setObserver(&window.callWatch());
    // The watch goes with the window, before the service and its calls, whichever way this ends.
    const dravosk::win::scope_exit unobserve([&] { service.calls().setObserver(nullptr); });
    if (!window.create(showCommand)) {
        const dravosk::Error error(static_cast<std::int32_t>(HRESULT_FROM_WIN32(GetLastError())),
                                   u"Das Hauptfenster konnte nicht erstellt werden.", u"Form1");
        dravosk::ui::showErrorReport(nullptr, error);
        return 1;
    }
    // For as long as the window lives: refused calls come back to the binding's own retry, and
    // no input is dispatched while a call waits for the host.
    std::optional<dravosk::host::MessageFilterRegistration> filter;
    try {
        filter.emplace();
    } catch (const dravosk::Error& error) {
        dravosk::ui::showErrorReport(window.hwnd(), error);
        return 1;
    }
    return runMessageLoop(window);
}
