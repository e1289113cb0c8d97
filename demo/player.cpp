// The demo player: plays the main job through Dravosk's window as an operator would, against a
// dravosk.exe and a korvane-sim.exe that are already running (the run command starts both):
// Read, mark all, Write, confirm. Prints the demo features' vectors before and after, taken from
// the stand-in host through its control channel, and checks that exactly the marked ones were
// reversed.
//
// Usage: dravosk-demo CONTROL-NAME   (korvane-sim.exe's control channel \\.\pipe\CONTROL-NAME)
// Exit codes: 0 done and checked, 1 failed, 2 usage.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "demo/form1_remote.h"
#include "demo/vector_check.h"
#include "sim/client/control_channel.h"
#include "win/handles.h"
#include "win/text.h"

namespace {

namespace sim = dravosk::sim;
namespace win = dravosk::win;
using namespace dravosk::demo;
using dravosk::sim::client::savedProgram;

// Pads to `width` characters (not bytes).
std::wstring padded(std::wstring text, std::size_t width) {
    if (text.size() < width) {
        text.append(width - text.size(), L' ');
    }
    return text;
}

std::wstring vectorText(const sim::Vector& vector) {
    wchar_t text[96];
    std::swprintf(text, 96, L"(%+.7g, %+.7g, %+.7g)", vector[0], vector[1], vector[2]);
    return text;
}

void printTable(const sim::PartProgram& before, const sim::PartProgram& after) {
    constexpr const wchar_t* kSets[] = {L"Theo (2)", L"IST (3)", L"Ziel (27)"};
    print(padded(L"Merkmal", 18) + padded(L"Datensatz", 11) + padded(L"vorher", 40) + L"nachher");
    for (std::size_t i = 0; i < before.commands.size() && i < after.commands.size(); ++i) {
        if (!isFeature(before.commands[i])) {
            continue;
        }
        const std::wstring id = L"\"" + wide(idOf(before.commands[i])) + L"\"";
        for (std::size_t set = 0; set < 3; ++set) {
            const sim::Vector& was = before.commands[i].vectors[set];
            const sim::Vector& is = after.commands[i].vectors[set];
            const bool same = std::memcmp(&was, &is, sizeof was) == 0;
            print(padded(set == 0 ? id : L"", 18) + padded(kSets[set], 11) +
                  padded(vectorText(was), 40) + vectorText(is) + (same ? L"" : L"  *"));
        }
    }
}

// When DRAVOSK_DEMO_SYNC names a folder, the demo stops once everything is marked: it creates
// "marked" there and goes on when "continue" appears (at most 30 s), so the run script can take a
// picture of the window with its list.
void pauseForPicture() {
    wchar_t folder[MAX_PATH];
    const DWORD length = GetEnvironmentVariableW(L"DRAVOSK_DEMO_SYNC", folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return;
    }
    const std::wstring marked = std::wstring(folder) + L"\\marked";
    const std::wstring resume = std::wstring(folder) + L"\\continue";
    const win::unique_handle file(CreateFileW(marked.c_str(), GENERIC_WRITE, 0, nullptr,
                                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    waitFor([&] { return GetFileAttributesW(resume.c_str()) != INVALID_FILE_ATTRIBUTES; }, 30000);
}

// Plays the main job against a dravosk.exe and a korvane-sim.exe that are already running:
// Read, mark all, Write, confirm. Prints the vectors before and after.
int playMainJob(const std::wstring& controlName) {
    HWND window = nullptr;
    waitFor([&] { return (window = FindWindowW(nullptr, kCaption)) != nullptr; }, 30000);
    check(window != nullptr, L"the window \"Dravosk für Korvane\" is open");
    const App app(window);
    if (!app.ready()) {
        return 1;
    }
    std::string error;
    const std::optional<sim::PartProgram> before = savedProgram(controlName, error);
    check(before.has_value(), L"korvane-sim has a part program: " + wide(error));
    if (!before) {
        return 1;
    }
    print(L"Teileprogramm \"" + wide(before->name) + L"\"");

    if (!read(app)) {
        if (const HWND box = app.messageBox()) {
            print(L"Dravosk meldet: " + messageBoxText(box));
        }
        return 1;
    }
    const std::vector<std::wstring> lines = listLines(app.control(List1));
    print(L"Gelesen: " + std::to_wstring(lines.size()) + L" Merkmale");
    markAllLines(app, true);
    pauseForPicture();
    std::array<bool, 3> chosen{};
    for (std::size_t set = 0; set < 3; ++set) {
        chosen[set] =
            SendMessageW(app.control(Control(Check1 + set)), BM_GETCHECK, 0, 0) == BST_CHECKED;
    }
    if (!write(app)) {
        if (const HWND box = app.messageBox()) {
            print(L"Dravosk meldet: " + messageBoxText(box));
        }
        return 1;
    }
    print(std::wstring(L"Meldung bestätigt: \"") + kWrittenMessage + L"\"");

    const std::optional<sim::PartProgram> after = savedProgram(controlName, error);
    check(after.has_value(), L"korvane-sim has the part program after Write: " + wide(error));
    if (!after) {
        return 1;
    }
    std::set<std::u16string> listed;
    for (const std::wstring& line : lines) {
        listed.insert(std::u16string(line.begin(), line.end()));
    }
    print(L"");
    printTable(*before, *after);
    checkVectors(after, reversedCopy(*before, listed, chosen), L"the host after Write");
    print(failures() == 0 ? L"\nAlle markierten Merkmale wurden umgekehrt (* = geändert)."
                          : L"\nDie Vektoren weichen vom Erwarteten ab.");
    return failures() == 0 ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    // Plain \n on a pipe, as the tools that read this output expect.
    _setmode(_fileno(stdout), _O_BINARY);
    if (argc != 2) {
        print(L"usage: dravosk-demo CONTROL-NAME");
        return 2;
    }
    return playMainJob(argv[1]);
}
