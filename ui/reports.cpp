#include "ui/reports.h"

// commctrl.h needs windows.h first
#include <commctrl.h>

#include <cstdint>
#include <cwchar>
#include <iterator>
#include <optional>
#include <string_view>
#include <vector>

#include "core/commands.h"
#include "ui/layout.h"
#include "win/text.h"

namespace dravosk::ui {

namespace {

// At most this many changed features (and uncertain calls) are named one per line, the rest
// counted; longer descriptions and steps are cut, as identifiers are (kMaxIdentifier).
constexpr std::size_t kMaxListedChanges = 20;
constexpr std::size_t kMaxDescription = 1000;
constexpr std::size_t kMaxStep = 300;

constexpr int kWaitButton = 100;
constexpr int kCancelButton = 101;

// The window whose taskbar button stands for `window`: its top owner.
HWND taskbarWindow(HWND window) noexcept {
    const HWND top = ::GetAncestor(window, GA_ROOTOWNER);
    return top != nullptr ? top : window;
}

bool anotherProgramInFront() noexcept {
    const HWND foreground = ::GetForegroundWindow();
    DWORD process = 0;
    if (foreground != nullptr) {
        ::GetWindowThreadProcessId(foreground, &process);
    }
    return process != ::GetCurrentProcessId();
}

void flash(HWND window, DWORD flags) noexcept {
    FLASHWINFO info{};
    info.cbSize = sizeof info;
    info.hwnd = window;
    info.dwFlags = flags;
    ::FlashWindowEx(&info);
}

// Keeps `box` above all windows that are not topmost and tries to give it the foreground; where
// another program keeps it, its top owner's taskbar button flashes (FLASHW_TIMERNOFG).
void bringToFront(HWND box) noexcept {
    ::SetWindowPos(box, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ::SetForegroundWindow(box);
    if (::GetForegroundWindow() != box && anotherProgramInFront()) {
        flash(taskbarWindow(box), FLASHW_TRAY | FLASHW_TIMERNOFG);
    }
}

// Before a system box (MessageBox) opens over `owner`: flashes its taskbar button, as above,
// when another program has the foreground. Null does nothing.
void flashIfInBackground(HWND owner) noexcept {
    if (owner != nullptr && anotherProgramInFront()) {
        flash(taskbarWindow(owner), FLASHW_TRAY | FLASHW_TIMERNOFG);
    }
}

void stopFlashing(HWND window) noexcept {
    if (window != nullptr) {
        flash(taskbarWindow(window), FLASHW_STOP);
    }
}

// In front of every other window, taking the foreground where Windows lets it (MB_SETFOREGROUND).
constexpr UINT kReportBox = MB_OK | MB_ICONERROR | MB_TOPMOST | MB_SETFOREGROUND;

// Windows does not connect programs started at different elevation: a Korvane started as
// administrator is invisible to a Dravosk started normally (or the other way round), which then
// finds no part program, no registration (an elevated program reads only per-machine classes,
// "Merged View of HKEY_CLASSES_ROOT") or no running Korvane; such reports say how to avoid it.
constexpr wchar_t kElevationHint[] =
    L"Wurde eines der beiden Programme als Administrator gestartet (mit erhöhten Rechten) und "
    L"das andere nicht, verbindet Windows Dravosk nicht mit diesem Korvane: beide auf dieselbe "
    L"Weise starten.";

bool elevationMayBeTheCause(const Error& error) {
    const bool toolsOwn = (static_cast<std::uint32_t>(error.number()) & 0x20000000u) != 0;
    return error.number() == errnum::kNoActivePartProgram ||
           (error.where().starts_with(u"CreateObject(") && !toolsOwn &&
            error.number() != static_cast<std::int32_t>(E_POINTER));
}

std::wstring numberLine(std::int32_t number) {
    return L"Fehler " + win::hex(number) + L" (" + std::to_wstring(number) + L")";
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

// `text` as win::displayText shows it, cut after `limit` code units (no pair split) and "…".
std::wstring shortenedText(std::u16string_view text, std::size_t limit) {
    if (text.size() <= limit) {
        return win::displayText(text);
    }
    return win::displayText(text.substr(0, headLength(text, limit))) + L"…";
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

// At most kMaxIdentifier code units, then "…", so a line stays short whatever the host named it.
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

std::wstring errorReportText(const Error& error, const WriteRecord& written) {
    std::wstring text = L"Der Befehl wurde wegen eines Fehlers abgebrochen.\n\n";
    text += numberLine(error.number()) + L"\n";
    text += descriptionText(error.description()) + L"\n";
    if (elevationMayBeTheCause(error)) {
        text += std::wstring(kElevationHint) + L"\n";
    }
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

namespace {

HRESULT CALLBACK onQuestionEvent(HWND dialog, UINT event, WPARAM, LPARAM, LONG_PTR) {
    // The operator may have turned to another program meanwhile, Korvane among them: stay in front.
    if (event == TDN_CREATED) {
        bringToFront(dialog);
    } else if (event == TDN_DESTROYED) {
        stopFlashing(dialog);
    }
    return S_OK;
}

}  // namespace

std::wstring busyQuestionText(std::chrono::seconds waited, std::u16string_view step) {
    // Cut like a description: a feature's identifier can be any length.
    return L"Korvane antwortet seit " + std::to_wstring(waited.count()) + L" s nicht (" +
           shortenedText(step, kMaxDescription) + L"). Weiter warten oder abbrechen?";
}

bool askToWaitOn(HWND owner, const std::wstring& text) {
    const TASKDIALOG_BUTTON buttons[] = {{kWaitButton, L"Warten"}, {kCancelButton, L"Abbrechen"}};
    const std::wstring title = win::wide(kAppTitle);
    TASKDIALOGCONFIG config{};
    config.cbSize = sizeof config;
    config.hwndParent = owner;
    // Without TDF_ALLOW_DIALOG_CANCELLATION neither Esc nor the close box answers. Ownerless
    // (asked by the watch's helper) it stands alone, screen-centred, with its own taskbar button.
    config.dwFlags = owner != nullptr ? TDF_POSITION_RELATIVE_TO_WINDOW : 0;
    config.pszWindowTitle = title.c_str();
    config.pszMainIcon = TD_WARNING_ICON;
    config.pszContent = text.c_str();
    config.cButtons = static_cast<UINT>(std::size(buttons));
    config.pButtons = buttons;
    config.nDefaultButton = kWaitButton;
    config.pfCallback = onQuestionEvent;
    int pressed = 0;
    if (FAILED(TaskDialogIndirect(&config, &pressed, nullptr, nullptr))) {
        return true;
    }
    return pressed != kCancelButton;
}

}  // namespace dravosk::ui
