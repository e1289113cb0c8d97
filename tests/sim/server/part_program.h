// The part program the server tests use.
#pragma once

namespace dravosk::sim::server::test {

// Eight commands: features, a non-feature, and every value type the server hands out.
//   0 feature "P1", vectors (1,2,3) (4,5,6) (7,8,9)   4 feature "A\0ß" (embedded NUL)
//   1 not a feature, "Ausrichtung"                     5 IsFeature 4-byte 0, ID 2.5
//   2 IsFeature Null, ID "X"                           6 feature, ID Nothing
//   3 IsFeature 2-byte -1, ID 4-byte 7                 7 IsFeature empty
inline constexpr const char* kProgram = R"({"name": "Prüfteil", "commands": [
  {"isFeature": true, "id": "P1", "theo": [1, 2, 3], "ist": [4, 5, 6], "ziel": [7, 8, 9]},
  {"isFeature": false, "label": "Ausrichtung"},
  {"isFeature": null, "id": "X"},
  {"isFeature": {"i2": -1}, "id": {"i4": 7}},
  {"isFeature": true, "id": "A\u0000ß"},
  {"isFeature": {"i4": 0}, "id": {"r8": 2.5}},
  {"isFeature": true, "id": {"nothing": true}},
  {"isFeature": {"empty": true}}
]})";

}  // namespace dravosk::sim::server::test
