#include "sim/server/command_line.h"

#include <cwchar>

namespace dravosk::sim::server {

namespace {

bool isSwitch(const wchar_t* arg, const wchar_t* name) {
    return (arg[0] == L'/' || arg[0] == L'-') && _wcsicmp(arg + 1, name) == 0;
}

}  // namespace

std::variant<Options, std::wstring> parseCommandLine(std::span<const wchar_t* const> args) {
    Options options;
    bool actionGiven = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const wchar_t* arg = args[i];
        const auto value = [&]() -> const wchar_t* {
            return i + 1 < args.size() && args[i + 1][0] != L'\0' ? args[++i] : nullptr;
        };
        if (isSwitch(arg, L"regserver") || isSwitch(arg, L"unregserver")) {
            if (actionGiven) {
                return std::wstring(
                    L"Nur einer der Schalter /regserver und /unregserver ist "
                    L"erlaubt.");
            }
            actionGiven = true;
            options.action = isSwitch(arg, L"regserver") ? Options::Action::registerServer
                                                         : Options::Action::unregisterServer;
        } else if (isSwitch(arg, L"Embedding")) {
            options.embedding = true;
        } else if (std::wcscmp(arg, L"--no-window") == 0) {
            options.noWindow = true;
        } else if (std::wcscmp(arg, L"--program") == 0 || std::wcscmp(arg, L"--control") == 0) {
            const wchar_t* given = value();
            if (!given) {
                return std::wstring(arg) + L" braucht einen Wert.";
            }
            if (arg[2] == L'p') {
                options.program = given;
            } else if (std::wcspbrk(given, L"\\/") != nullptr) {
                return std::wstring(L"--control: der Name darf keinen Schrägstrich enthalten.");
            } else {
                options.control = given;
            }
        } else {
            return L"Unbekanntes Argument \"" + std::wstring(arg) + L"\".";
        }
    }
    return options;
}

}  // namespace dravosk::sim::server
