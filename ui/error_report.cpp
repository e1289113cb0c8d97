#include "ui/error_report.h"

#include <cstdint>

#include "core/control_states.h"
#include "win/text.h"

namespace dravosk::ui {

namespace {

std::wstring numberLine(std::int32_t number) {
    return L"Fehler " + win::hex(number) + L" (" + std::to_wstring(number) + L")";
}

}  // namespace

std::wstring errorReportText(const Error& error) {
    std::wstring text = L"Der Befehl wurde wegen eines Fehlers abgebrochen.\n\n";
    text += numberLine(error.number()) + L"\n";
    text += error.description().empty() ? std::wstring(L"Keine Beschreibung vorhanden.")
                                        : win::displayText(error.description());
    text += L"\n";
    if (!error.where().empty()) {
        text += L"Schritt: " + win::displayText(error.where()) + L"\n";
    }

    const auto& changed = error.changed();
    if (!changed.empty()) {
        text += L"\nDiese Merkmale wurden schon umgekehrt und bleiben so im Korvane Programm:\n";
        const std::size_t listed =
            changed.size() < kMaxListedChanges ? changed.size() : kMaxListedChanges;
        for (std::size_t i = 0; i < listed; ++i) {
            text += L"    \"" + win::displayText(changed[i]) + L"\"\n";
        }
        if (changed.size() > listed) {
            text += L"    … und " + std::to_wstring(changed.size() - listed) + L" weitere\n";
        }
    }

    text += L"\nDravosk wird beendet.";
    return text;
}

void showErrorReport(HWND owner, const Error& error) {
    const std::wstring text = errorReportText(error);
    const std::wstring title = win::wide(kAppTitle);
    MessageBoxW(owner, text.c_str(), title.c_str(), MB_OK | MB_ICONERROR);
}

}  // namespace dravosk::ui
