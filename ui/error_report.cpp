#include "ui/error_report.h"

#include <cstdint>
#include <string_view>
#include <vector>

#include "core/control_states.h"
#include "core/write_record.h"
#include "win/text.h"

namespace dravosk::ui {

namespace {

std::wstring numberLine(std::int32_t number) {
    return L"Fehler " + win::hex(number) + L" (" + std::to_wstring(number) + L")";
}

std::wstring descriptionText(std::u16string_view description) {
    if (description.empty()) {
        return L"Keine Beschreibung vorhanden.";
    }
    return shortenedText(description, kMaxDescription);
}

// One line each, at most kMaxListedChanges of them, then the count of the rest.
void appendLines(std::wstring& text, const std::vector<std::u16string>& lines) {
    const std::size_t listed = lines.size() < kMaxListedChanges ? lines.size() : kMaxListedChanges;
    for (std::size_t i = 0; i < listed; ++i) {
        text += L"    " + win::displayText(lines[i]) + L"\n";
    }
    if (lines.size() > listed) {
        text += L"    … und " + std::to_wstring(lines.size() - listed) + L" weitere\n";
    }
}

}  // namespace

std::wstring shortenedText(std::u16string_view text, std::size_t limit) {
    if (text.size() <= limit) {
        return win::displayText(text);
    }
    std::size_t length = limit;
    if (length > 0 && text[length - 1] >= 0xD800 && text[length - 1] <= 0xDBFF) {
        --length;
    }
    return win::displayText(text.substr(0, length)) + L"…";
}

std::wstring errorReportText(const Error& error) {
    std::wstring text = L"Der Befehl wurde wegen eines Fehlers abgebrochen.\n\n";
    text += numberLine(error.number()) + L"\n";
    text += descriptionText(error.description()) + L"\n";
    if (!error.where().empty()) {
        text += L"Schritt: " + win::displayText(error.where()) + L"\n";
    }

    std::vector<std::u16string> reversed;
    std::vector<std::u16string> uncertain;
    for (const WriteRecord::Feature& feature : error.written().features()) {
        if (!feature.reversed.empty()) {
            reversed.push_back(reversedLine(feature));
        }
        for (const std::int32_t dataSet : feature.uncertain) {
            uncertain.push_back(uncertainLine(feature.id, dataSet));
        }
    }
    if (!reversed.empty()) {
        text += L"\nDiese Merkmale wurden schon umgekehrt und bleiben so im Korvane Programm:\n";
        appendLines(text, reversed);
    }
    if (!uncertain.empty()) {
        text += L"\n";
        appendLines(text, uncertain);
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
