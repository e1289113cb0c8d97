// The server's command line:
//   korvane-sim.exe [/regserver|/unregserver] [--program FILE.json] [--control NAME]
//                   [--no-window] [-Embedding]
#pragma once

#include <optional>
#include <span>
#include <string>
#include <variant>

namespace dravosk::sim::server {

struct Options {
    enum class Action { serve, registerServer, unregisterServer };
    Action action = Action::serve;
    std::optional<std::wstring> program;
    std::wstring control = L"korvane-sim";  // pipe name of the control channel
    bool noWindow = false;
    bool embedding = false;  // started by COM
};

// The options, or a German message saying what is wrong.
std::variant<Options, std::wstring> parseCommandLine(std::span<const wchar_t* const> args);

inline constexpr const wchar_t* kUsage =
    L"Aufruf: korvane-sim.exe [/regserver|/unregserver] [--program DATEI.json] "
    L"[--control NAME] [--no-window] [-Embedding]";

}  // namespace dravosk::sim::server
