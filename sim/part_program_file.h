// Part program files of the stand-in host (JSON), for demos and tests.
//
//   {"name": "Demo", "active": true, "commands": [
//     {"isFeature": true, "id": "P1", "theo": [1, 0, 0], "ist": [1, 0, 0], "ziel": [1, 0, 0]},
//     {"isFeature": false, "label": "Ausrichtung"},
//     {"isFeature": null, "id": "X"},
//     {"isFeature": {"i2": -1}, "id": {"i4": 7}}]}
//
// A value is true/false (boolean), null, a string, a number (integer: 4-byte integer, otherwise
// double), or a typed object: {"i2": n}, {"i4": n}, {"r8": x}, {"empty": true}, {"nothing": true}.
// A missing member is the empty value. "active": false means no part program is open.
// A file holds well-formed UTF-8, at most 64 MiB, nested at most 16 levels deep.
//
// An optional section starts the host busy (see BusyFaults; times in milliseconds, at most a day):
//
//   "faults": {"rejectMs": 3000,
//              "delay": [{"member": "PutVector", "nth": 2, "ms": 12000}],
//              "hang": [{"member": "PutVector", "nth": 5}]}
//
// "delay" and "hang" take one such object or a list of them; a member is one the host offers
// ("ActivePartProgram", "Commands", "_NewEnum", "IsFeature", "FeatureCommand", "ID",
// "GetVector", "PutVector") and `nth` counts its calls from 1.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "core/error.h"
#include "sim/faults.h"
#include "sim/model.h"

namespace dravosk::sim {

// The length in bytes of the well-formed UTF-8 sequence that starts at text[at], or 0 if none does
// (also at the end of the text).
std::size_t utf8Length(std::string_view text, std::size_t at);
// The offset of the first byte that starts no well-formed UTF-8 sequence; none if the whole text is
// well-formed.
std::optional<std::size_t> firstInvalidUtf8(std::string_view text);

struct PartProgramFile {
    std::optional<PartProgram> program;
    BusyFaults faults;
};

// These raise dravosk::Error and nothing else; a malformed file names its line and column, a
// wrong value its command or its place in "faults". No message quotes more than a few characters
// of the file.
PartProgramFile parsePartProgramFile(std::string_view json);
PartProgramFile loadPartProgramFile(const std::filesystem::path& file);
// The part program alone; the faults are checked all the same.
std::optional<PartProgram> parsePartProgram(std::string_view json);
std::optional<PartProgram> loadPartProgram(const std::filesystem::path& file);
// A few lines for the console, saying why and where the file failed to load.
std::string loadFailureText(const Error& error);

// Vectors are written with every digit and the sign of zero, so a load gives back the same bits.
std::string formatPartProgram(const std::optional<PartProgram>& program);
void savePartProgram(const std::optional<PartProgram>& program, const std::filesystem::path& file);

}  // namespace dravosk::sim
