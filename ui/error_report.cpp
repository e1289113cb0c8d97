#include "ui/error_report.h"

#include <cstdint>
#include <cwchar>
#include <iterator>
#include <optional>
#include <string_view>
#include <vector>

#include "core/commands.h"
#include "core/control_states.h"
#include "core/write_record.h"
#include "ui/front_window.h"
#include "win/text.h"

namespace dravosk::ui {

namespace {

// A report waits for the operator, who may be working in Korvane: it opens in front of every
// other window and takes the foreground where Windows lets it (MB_SETFOREGROUND); where not, the
// taskbar button flashes.
constexpr UINT kReportBox = MB_OK | MB_ICONERROR | MB_TOPMOST | MB_SETFOREGROUND;

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

// The length of a cut after at most `limit` code units that does not split a surrogate pair.
std::size_t headLength(std::u16string_view text, std::size_t limit) {
    std::size_t length = limit < text.size() ? limit : text.size();
    if (length > 0 && length < text.size() && text[length - 1] >= 0xD800 &&
        text[length - 1] <= 0xDBFF) {
        --length;
    }
    return length;
}

// The identifier as it goes into a line of the report: at most kMaxIdentifier code units, then
// "…". Cut before it is shown, so a line stays short whatever the host named its feature.
std::u16string shortIdentifier(const std::u16string& id) {
    if (id.size() <= kMaxIdentifier) {
        return id;
    }
    return id.substr(0, headLength(id, kMaxIdentifier)) + u"…";
}

// A long step keeps its start (the command and the feature) and its end (the member that failed).
std::wstring stepText(std::u16string_view step) {
    if (step.size() <= kMaxStep) {
        return win::displayText(step);
    }
    const std::size_t head = headLength(step, kMaxStep * 2 / 3);
    std::size_t tail = step.size() - kMaxStep / 3;
    if (step[tail] >= 0xDC00 && step[tail] <= 0xDFFF) {
        ++tail;  // not the second half of a pair
    }
    return win::displayText(step.substr(0, head)) + L"…" + win::displayText(step.substr(tail));
}

std::size_t reversedCount(const WriteRecord& written) noexcept {
    std::size_t count = 0;
    for (const WriteRecord::Feature& feature : written.features()) {
        if (!feature.reversed.empty()) {
            ++count;
        }
    }
    return count;
}

std::size_t uncertainCount(const WriteRecord& written) noexcept {
    std::size_t count = written.inFlight() ? 1 : 0;
    for (const WriteRecord::Feature& feature : written.features()) {
        count += feature.uncertain.size();
    }
    return count;
}

}  // namespace

std::size_t shortErrorReportText(std::int32_t number, const WriteRecord& written,
                                 std::span<wchar_t> buffer) noexcept {
    if (buffer.empty()) {
        return 0;
    }
    const int length = std::swprintf(
        buffer.data(), buffer.size(),
        L"Der Befehl wurde wegen eines Fehlers abgebrochen.\n\nFehler 0x%08X\n\n"
        L"Schon umgekehrte Merkmale: %lu\n"
        L"Aufrufe, bei denen ungewiss ist, ob umgekehrt wurde: %lu – bitte in Korvane prüfen\n\n"
        L"Der ausführliche Bericht konnte nicht angezeigt werden.\n\nDravosk wird beendet.",
        static_cast<unsigned>(number), static_cast<unsigned long>(reversedCount(written)),
        static_cast<unsigned long>(uncertainCount(written)));
    if (length < 0) {
        buffer[0] = L'\0';
        return 0;
    }
    return static_cast<std::size_t>(length);
}

void showShortReport(HWND owner, std::int32_t number, const WriteRecord& written) noexcept {
    wchar_t text[kShortReportSize];
    shortErrorReportText(number, written, text);
    wchar_t title[32] = {};
    for (std::size_t i = 0; i < kAppTitle.size() && i + 1 < std::size(title); ++i) {
        title[i] = static_cast<wchar_t>(kAppTitle[i]);
    }
    flashIfInBackground(owner);
    if (MessageBoxW(owner, text, title, kReportBox) == 0 && owner != nullptr) {
        MessageBoxW(nullptr, text, title, kReportBox | MB_TASKMODAL);
    }
    stopFlashing(owner);
}

std::u16string reversedLine(const WriteRecord::Feature& feature) {
    return u"Merkmal \"" + feature.id + u"\": " + reversedNames(feature) + u" umgekehrt";
}

std::u16string uncertainLine(const std::u16string& id, std::int32_t dataSet) {
    return dataSetStep(id, dataSet) + u": ungewiss, ob umgekehrt – bitte in Korvane prüfen";
}

std::wstring shortenedText(std::u16string_view text, std::size_t limit) {
    if (text.size() <= limit) {
        return win::displayText(text);
    }
    return win::displayText(text.substr(0, headLength(text, limit))) + L"…";
}

std::wstring errorReportText(const Error& error, const WriteRecord& written) {
    std::wstring text = L"Der Befehl wurde wegen eines Fehlers abgebrochen.\n\n";
    text += numberLine(error.number()) + L"\n";
    text += descriptionText(error.description()) + L"\n";
    if (!error.where().empty()) {
        text += L"Schritt: " + stepText(error.where()) + L"\n";
    }

    std::vector<std::u16string> reversed;
    std::vector<std::u16string> uncertain;
    for (const WriteRecord::Feature& feature : written.features()) {
        const std::u16string id = shortIdentifier(feature.id);
        if (!feature.reversed.empty()) {
            reversed.push_back(reversedLine({id, feature.reversed, {}}));
        }
        for (const std::int32_t dataSet : feature.uncertain) {
            uncertain.push_back(uncertainLine(id, dataSet));
        }
    }
    if (const std::optional<std::int32_t> dataSet = written.inFlight()) {
        uncertain.push_back(uncertainLine(shortIdentifier(written.features().back().id), *dataSet));
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

std::wstring errorReportText(const Error& error) {
    return errorReportText(error, error.written());
}

void showErrorReport(HWND owner, const Error& error, const WriteRecord& written) noexcept {
    try {
        const std::wstring text = errorReportText(error, written);
        const std::wstring title = win::wide(kAppTitle);
        flashIfInBackground(owner);
        const int answer = MessageBoxW(owner, text.c_str(), title.c_str(), kReportBox);
        stopFlashing(owner);
        if (answer != 0) {
            return;
        }
    } catch (...) {
        // Out of memory: the short report below needs none.
    }
    showShortReport(owner, error.number(), written);
}

void showErrorReport(HWND owner, const Error& error) noexcept {
    showErrorReport(owner, error, error.written());
}

}  // namespace dravosk::ui
