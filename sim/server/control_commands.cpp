#include "sim/server/control_commands.h"

#include <charconv>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <limits>

#include "core/error.h"
#include "core/text.h"
#include "sim/part_program_file.h"
#include "sim/server/call_trap.h"
#include "win/text.h"

namespace dravosk::sim::server {

namespace {

// Splits off the first blank-separated word of `rest`.
std::string_view word(std::string_view& rest) {
    const std::size_t start = std::min(rest.find_first_not_of(' '), rest.size());
    rest.remove_prefix(start);
    const std::size_t end = std::min(rest.find(' '), rest.size());
    const std::string_view result = rest.substr(0, end);
    rest.remove_prefix(end);
    return result;
}

std::string_view trimmed(std::string_view text) {
    const std::size_t start = std::min(text.find_first_not_of(' '), text.size());
    text.remove_prefix(start);
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    return text;
}

// A whole decimal number, or hexadecimal after "0x"; nullopt when the text is anything else.
std::optional<long long> parseNumber(std::string_view text) {
    bool negative = false;
    if (!text.empty() && text.front() == '-') {
        negative = true;
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

std::filesystem::path pathOf(std::string_view utf8) {
    return std::filesystem::path(win::wide(fromUtf8(utf8)));
}

ControlReply ok(std::vector<std::string> lines = {}) {
    return {true, std::move(lines), {}};
}

ControlReply failure(std::string text) {
    return {false, {}, std::move(text)};
}

// A count of calls from 1, as the commands take it.
std::optional<int> nthOf(std::string_view text) {
    const auto nth = parseNumber(text);
    if (!nth || *nth < 1 || *nth > std::numeric_limits<int>::max()) {
        return std::nullopt;
    }
    return static_cast<int>(*nth);
}

std::optional<std::chrono::milliseconds> millisecondsOf(std::string_view text) {
    const auto ms = parseNumber(text);
    if (!ms || *ms < 0 || *ms > kMaxFaultMilliseconds) {
        return std::nullopt;
    }
    return std::chrono::milliseconds(*ms);
}

// A member the host offers, by its exact name, or "Release": an object given up by the client.
std::optional<std::u16string> memberOf(std::string_view text) {
    std::u16string member = fromUtf8(text);
    if (!Model::isMemberName(member) && member != u"Release") {
        return std::nullopt;
    }
    return member;
}

}  // namespace

void ControlCommands::delay(std::u16string member, int nth, std::chrono::milliseconds duration) {
    state_.traps().arm(member, nth,
                       [&stall = stall_, member, duration] { stall.hold(member, duration); });
}

void ControlCommands::hang(std::u16string member, int nth) {
    state_.traps().arm(member, nth,
                       [&stall = stall_, member] { stall.hold(member, std::nullopt); });
}

void ControlCommands::setFaults(const BusyFaults& faults) {
    if (faults.reject.count() > 0) {
        state_.rejectFor(faults.reject);
    }
    for (const BusyFaults::Delay& fault : faults.delays) {
        delay(fault.member, fault.nth, fault.duration);
    }
    for (const BusyFaults::Hang& fault : faults.hangs) {
        hang(fault.member, fault.nth);
    }
}

ControlReply ControlCommands::run(std::string_view request) {
    std::string_view rest = request;
    const std::string_view command = word(rest);
    Model& model = state_.model();
    Recorder& recorder = state_.recorder();
    Faults& faults = state_.faults();
    if (!ready_) {
        return failure("Der Server startet noch.");
    }
    try {
        if (command == "live") {
            return ok({std::to_string(recorder.liveObjects())});
        }
        if (command == "calls") {
            std::vector<std::string> lines;
            for (const Call& call : recorder.calls()) {
                lines.push_back("call " + describe(call));
            }
            for (const auto& [key, count] : state_.roundTrips()) {
                lines.push_back("roundtrip " + key + " " + std::to_string(count));
            }
            lines.push_back("roundtrips " + std::to_string(state_.totalRoundTrips()));
            return ok(std::move(lines));
        }
        if (command == "clear-calls") {
            recorder.clearCalls();
            state_.clearRoundTrips();
            return ok();
        }
        if (command == "fail" || command == "fail-after") {
            const std::string_view member = word(rest);
            const auto nth = parseNumber(word(rest));
            const auto number = parseNumber(word(rest));
            const std::string_view description = trimmed(rest);
            if (member.empty() || !nth || *nth < 1 || *nth > std::numeric_limits<int>::max() ||
                !number || *number < std::numeric_limits<std::int32_t>::min() ||
                *number > std::numeric_limits<std::uint32_t>::max() || description.empty()) {
                return failure("Aufruf: " + std::string(command) + " MEMBER N NUMMER BESCHREIBUNG");
            }
            if (command == "fail-after" && member != "GetVector" && member != "PutVector") {
                return failure(
                    "fail-after nur für GetVector und PutVector: nur sie tun etwas, "
                    "nach dem sie fehlschlagen könnten");
            }
            const auto hostNumber = static_cast<std::int32_t>(static_cast<std::uint32_t>(*number));
            if (command == "fail") {
                faults.failAt(fromUtf8(member), static_cast<int>(*nth), hostNumber,
                              fromUtf8(description));
            } else {
                faults.failAfterAt(fromUtf8(member), static_cast<int>(*nth), hostNumber,
                                   fromUtf8(description));
            }
            return ok();
        }
        if (command == "missing") {
            const std::string_view member = word(rest);
            if (member.empty() || !trimmed(rest).empty()) {
                return failure("Aufruf: missing MEMBER");
            }
            faults.removeMember(fromUtf8(member));
            return ok();
        }
        if (command == "unfilled") {
            const auto nth = parseNumber(trimmed(rest));
            if (!nth || *nth < 0 || *nth > std::numeric_limits<int>::max()) {
                return failure("Aufruf: unfilled N");
            }
            faults.leaveVectorUnfilledAt(static_cast<int>(*nth));
            return ok();
        }
        if (command == "crash") {
            const std::string_view member = word(rest);
            const auto nth = parseNumber(trimmed(rest));
            if (member.empty() || !nth || *nth < 1 || *nth > std::numeric_limits<int>::max()) {
                return failure("Aufruf: crash MEMBER N");
            }
            // Withdrawn first: Wine's rpcss would hand the dead class object to later clients.
            state_.traps().arm(fromUtf8(member), static_cast<int>(*nth),
                               [revoke = actions_.revoke] {
                                   revoke();
                                   TerminateProcess(GetCurrentProcess(), kCrashExitCode);
                               });
            return ok();
        }
        if (command == "reject") {
            const auto duration = millisecondsOf(trimmed(rest));
            if (!duration) {
                return failure("Aufruf: reject MILLISEKUNDEN (0 bis " +
                               std::to_string(kMaxFaultMilliseconds) + ")");
            }
            state_.rejectFor(*duration);
            return ok();
        }
        if (command == "delay") {
            const auto member = memberOf(word(rest));
            const auto nth = nthOf(word(rest));
            const auto duration = millisecondsOf(trimmed(rest));
            if (!member || !nth || !duration) {
                return failure(
                    "Aufruf: delay MEMBER N MILLISEKUNDEN (MEMBER ein Mitglied des "
                    "Hosts, N ab 1, 0 bis " +
                    std::to_string(kMaxFaultMilliseconds) + " ms)");
            }
            delay(*member, *nth, *duration);
            return ok();
        }
        if (command == "hang") {
            const auto member = memberOf(word(rest));
            const auto nth = nthOf(trimmed(rest));
            if (!member || !nth) {
                return failure("Aufruf: hang MEMBER N (MEMBER ein Mitglied des Hosts, N ab 1)");
            }
            hang(*member, *nth);
            return ok();
        }
        if (command == "release") {
            const auto member = stall_.release();
            if (!member) {
                return failure("Kein Aufruf wird aufgehalten.");
            }
            return ok({toUtf8(*member)});
        }
        if (command == "clear-faults") {
            faults.clearFaults();
            state_.traps().disarm();
            state_.rejectFor(std::chrono::milliseconds(0));
            stall_.release();
            return ok();
        }
        if (command == "no-program") {
            model.setActive(std::nullopt);
            return ok();
        }
        if (command == "load" || command == "save") {
            const std::string_view file = trimmed(rest);
            if (file.empty()) {
                return failure("Aufruf: " + std::string(command) + " DATEI");
            }
            if (command == "load") {
                PartProgramFile loaded = loadPartProgramFile(pathOf(file));
                model.setActive(std::move(loaded.program));
                setFaults(loaded.faults);
            } else {
                savePartProgram(
                    model.active() ? std::optional<PartProgram>(*model.active()) : std::nullopt,
                    pathOf(file));
            }
            return ok();
        }
        if (command == "revoke") {
            if (!actions_.revoke()) {
                return failure("Das Klassenobjekt ist nicht registriert.");
            }
            return ok();
        }
        if (command == "quit") {
            actions_.quit();
            return ok();
        }
    } catch (const Error& error) {
        return failure(error.what());
    }
    return failure("Unbekannter Befehl \"" + std::string(command) + "\"");
}

}  // namespace dravosk::sim::server
