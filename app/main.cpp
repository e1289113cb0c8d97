// dravosk.exe: shows Form1 and runs the event loop on the user-interface thread, which lives in a
// single-threaded COM apartment so that every command can reach the host.
#include <windows.h>
// commctrl.h needs windows.h first
#include <commctrl.h>

#include <cstdint>
#include <optional>

#include "core/error.h"
#include "host/com_service.h"
#include "ui/error_report.h"
#include "ui/main_window.h"
#include "ui/message_loop.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    // Before anything else is loaded: every DLL loaded later, by this program or on its behalf,
    // comes from the system folder, never from the program's folder or the current one.
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);

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

    // Declared after the apartment, so the window and the service are gone before COM is left.
    dravosk::host::ComAutomationService service;
    dravosk::ui::MainWindow window(instance, service);
    service.calls().setObserver(&window.progress());
    if (!window.create(showCommand)) {
        const dravosk::Error error(static_cast<std::int32_t>(HRESULT_FROM_WIN32(GetLastError())),
                                   u"Das Hauptfenster konnte nicht erstellt werden.", u"Form1");
        dravosk::ui::showErrorReport(nullptr, error);
        return 1;
    }
    return dravosk::ui::runMessageLoop(window);
}
