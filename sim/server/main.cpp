// korvane-sim.exe: the stand-in host as an out-of-process COM server ("KORVAN.Application"), with
// a window that shows its part program and a control channel for tests.
#include <windows.h>

#include <memory>
#include <optional>
#include <span>
#include <string>

#include "core/error.h"
#include "core/text.h"
#include "sim/model.h"
#include "sim/part_program_file.h"
#include "sim/server/call_filter.h"
#include "sim/server/class_factory.h"
#include "sim/server/command_line.h"
#include "sim/server/console_output.h"
#include "sim/server/control_channel.h"
#include "sim/server/control_commands.h"
#include "sim/server/registration.h"
#include "sim/server/server_state.h"
#include "sim/server/sim_window.h"
#include "sim/server/stall.h"
#include "win/com.h"
#include "win/system_functions.h"
#include "win/text.h"

namespace dravosk::sim::server {
namespace {

// The stand-in has no manifest that declares its DPI awareness: aware of each monitor's DPI where
// the system offers it (DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2, Windows 10 1703), else of the
// system DPI.
void becomeDpiAware() {
    using SetContext = BOOL(WINAPI*)(HANDLE);
    const auto setContext = reinterpret_cast<SetContext>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetProcessDpiAwarenessContext")));
    if (setContext == nullptr || !setContext(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4)))) {
        SetProcessDPIAware();
    }
}

enum ExitCode : int { kOk = 0, kBadUsage = 1, kBadProgram = 2, kRegistry = 3, kStartup = 4 };

std::wstring modulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

int registerOrUnregister(Options::Action action) {
    const RegistrationResult result = action == Options::Action::registerServer
                                          ? registerServer(modulePath())
                                          : unregisterServer();
    if (!result.message.empty()) {
        printError(result.message);
    }
    return result.ok ? kOk : kRegistry;
}

// Keeps the model's change notice pointing at the window only while the window exists.
class ChangeNotice {
  public:
    ChangeNotice(Model& model, SimWindow* window) : model_(model) {
        if (window) {
            model_.onChange = [window] { window->changed(); };
        }
    }
    ChangeNotice(const ChangeNotice&) = delete;
    ChangeNotice& operator=(const ChangeNotice&) = delete;
    ~ChangeNotice() { model_.onChange = nullptr; }

  private:
    Model& model_;
};

// A server started by COM ends when its last client is gone: it takes no new activations (COM
// starts a new server for them) and leaves its message loop. The action is removed before the
// registration goes, so releases while the apartment closes do not reach it.
class EndWhenUnused {
  public:
    EndWhenUnused(ServerState& state, ClassRegistration* registration) : state_(state) {
        if (registration) {
            // All objects live in the main thread's apartment, so this runs on that thread.
            state_.setWhenUnused([registration] {
                registration->revoke();
                PostQuitMessage(0);
            });
        }
    }
    EndWhenUnused(const EndWhenUnused&) = delete;
    EndWhenUnused& operator=(const EndWhenUnused&) = delete;
    ~EndWhenUnused() { state_.setWhenUnused({}); }

  private:
    ServerState& state_;
};

int serve(const Options& options, std::optional<PartProgram> program, const BusyFaults& faults) {
    // Declared first, so they outlive every object that COM releases when the apartment closes.
    Model model(std::move(program));
    ServerState state(model);
    ClassFactory factory(state);
    win::com_apartment apartment(COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    if (FAILED(apartment.result())) {
        printError(L"korvane-sim: COM kann nicht initialisiert werden (" +
                   win::hex(apartment.result()) + L").");
        return kStartup;
    }
    std::unique_ptr<SimWindow> window;
    if (!options.noWindow) {
        window = std::make_unique<SimWindow>(model);
        if (!window->create(SW_SHOWNORMAL)) {
            // Without a display the server still serves its clients.
            printError(
                L"korvane-sim: Warnung: das Fenster kann nicht angelegt werden; der Server "
                L"läuft ohne Fenster weiter.");
            window.reset();
        }
    }
    ChangeNotice notice(model, window.get());
    CallFilter filter(state);
    FilterRegistration filtering(&filter);
    if (FAILED(filtering.result())) {
        printError(L"korvane-sim: der Nachrichtenfilter kann nicht registriert werden (" +
                   win::hex(filtering.result()) + L").");
        return kStartup;
    }
    Stall stall([&window] { return window ? window->hwnd() : nullptr; });

    ClassRegistration registration;
    EndWhenUnused end(state, options.embedding ? &registration : nullptr);
    ControlCommands commands(
        state, stall,
        {[&registration] { return registration.revoke(); }, [] { PostQuitMessage(0); }});
    commands.setFaults(faults);
    ControlChannel control(
        [&commands](const std::string& request) { return commands.run(request); });
    std::wstring error;
    if (!control.open(options.control, error)) {
        printError(L"korvane-sim: " + error);
        if (!options.embedding) {
            return kStartup;  // a test would otherwise talk to another server
        }
    }
    if (const HRESULT hr = registration.registerFactory(&factory); FAILED(hr)) {
        printError(L"korvane-sim: das Klassenobjekt kann nicht registriert werden (" +
                   win::hex(hr) + L").");
        return kStartup;
    }
    commands.setReady();

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return kOk;
}

int run(std::span<const wchar_t* const> args) {
    // As Dravosk: every DLL loaded later comes from the system folder.
    win::restrictDllSearch();
    auto parsed = parseCommandLine(args);
    if (const auto* message = std::get_if<std::wstring>(&parsed)) {
        printError(L"korvane-sim: " + *message);
        printError(kUsage);
        return kBadUsage;
    }
    const Options& options = std::get<Options>(parsed);
    if (options.action != Options::Action::serve) {
        return registerOrUnregister(options.action);
    }

    PartProgramFile file{PartProgram{u"Unbenannt", {}}, {}};
    if (options.program) {
        try {
            file = loadPartProgramFile(std::filesystem::path(*options.program));
        } catch (const Error& e) {
            printError(L"korvane-sim: " + win::wide(fromUtf8(loadFailureText(e))));
            return kBadProgram;
        }
    }
    if (options.embedding) {
        // Started by COM: a console of its own would only get in the way.
        DWORD processes[2];
        if (GetConsoleProcessList(processes, 2) == 1) {
            FreeConsole();
        }
    }
    if (!options.noWindow) {
        becomeDpiAware();
    }
    return serve(options, std::move(file.program), file.faults);
}

}  // namespace
}  // namespace dravosk::sim::server

int wmain(int argc, wchar_t** argv) {
    return dravosk::sim::server::run(std::span<const wchar_t* const>(
        argv + 1, static_cast<std::size_t>(argc > 0 ? argc - 1 : 0)));
}
