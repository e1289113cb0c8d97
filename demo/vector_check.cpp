#include "demo/vector_check.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <variant>

#include "core/text.h"
#include "demo/form1_remote.h"
#include "win/text.h"

namespace dravosk::demo {

namespace {

std::wstring shown(double value) {
    wchar_t text[40];
    std::swprintf(text, 40, L"%.17g", value);
    return text;
}

}  // namespace

std::wstring wide(const std::u16string& text) {
    return win::wide(text);
}

std::wstring wide(const std::string& utf8) {
    return win::wide(fromUtf8(utf8));
}

std::uint64_t bitsOf(double value) {
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

double negated(double value) {
    const std::uint64_t bits = bitsOf(value) ^ 0x8000'0000'0000'0000ull;
    double result;
    std::memcpy(&result, &bits, sizeof result);
    return result;
}

bool isFeature(const sim::Command& command) {
    const bool* flag = std::get_if<bool>(&command.isFeature);
    return flag != nullptr && *flag;
}

std::u16string idOf(const sim::Command& command) {
    const auto* id = std::get_if<std::u16string>(&command.id);
    return id != nullptr ? *id : std::u16string();
}

sim::PartProgram reversedCopy(sim::PartProgram program, const std::set<std::u16string>& reversed,
                              std::array<bool, 3> chosen) {
    for (sim::Command& command : program.commands) {
        if (isFeature(command) && reversed.contains(idOf(command))) {
            for (std::size_t set = 0; set < 3; ++set) {
                if (chosen[set]) {
                    for (double& component : command.vectors[set]) {
                        component = negated(component);
                    }
                }
            }
        }
    }
    return program;
}

void checkVectors(const std::optional<sim::PartProgram>& actual, const sim::PartProgram& expected,
                  const std::wstring& what) {
    check(actual.has_value(), what + L": the host has a part program");
    if (!actual) {
        return;
    }
    checkEqual(actual->commands.size(), expected.commands.size(), what + L": commands");
    constexpr const wchar_t* kSets[] = {L"Theo", L"IST", L"Ziel"};
    for (std::size_t i = 0; i < actual->commands.size() && i < expected.commands.size(); ++i) {
        for (std::size_t set = 0; set < 3; ++set) {
            for (std::size_t c = 0; c < 3; ++c) {
                const double is = actual->commands[i].vectors[set][c];
                const double should = expected.commands[i].vectors[set][c];
                check(bitsOf(is) == bitsOf(should), what + L": command " + std::to_wstring(i) +
                                                        L" \"" + wide(idOf(expected.commands[i])) +
                                                        L"\" " + kSets[set] + L"[" +
                                                        std::to_wstring(c) + L"] is " + shown(is) +
                                                        L", expected " + shown(should));
            }
        }
    }
}

}  // namespace dravosk::demo
