// The part programs the scenarios with a host give korvane-sim.exe, and the list Read makes of the
// first.
#pragma once

#include <string>
#include <vector>

namespace dravosk::e2e {

// A part program with everything the list must get right: umlauts and a non-Latin letter,
// the same identifier twice, one that differs only in case, a blank identifier (listed), an
// empty one (never listed), and a command that is no feature but carries a listed identifier.
// Components with awkward bits: signed zeros, a subnormal, the largest and tiny magnitudes.
inline constexpr char kTestProgram[] = R"({"name": "Prüfteil E2E", "commands": [
  {"isFeature": false, "label": "Ausrichtung"},
  {"isFeature": true, "id": "Fläche_Süd", "theo": [0.1, -0.0, 1.7976931348623157e308],
   "ist": [5e-324, -2.5, 0.0], "ziel": [-1.0, 0.7071067811865476, -1e-300]},
  {"isFeature": true, "id": "Bohrung_1", "theo": [1.0, 2.0, 3.0], "ist": [-0.0, -0.0, -0.0],
   "ziel": [4.0, 5.0, 6.0]},
  {"isFeature": true, "id": "Größe_Nut", "theo": [0.25, -0.5, 0.75], "ist": [1e-10, 2e-10, 3e-10],
   "ziel": [-7.0, -8.0, -9.0]},
  {"isFeature": true, "id": "Bohrung_1", "theo": [-1.5, 0.0, 1.5], "ist": [10.0, 20.0, 30.0],
   "ziel": [0.0, -0.0, 0.0]},
  {"isFeature": false, "id": "Fläche_Süd", "label": "Kommentar", "theo": [9.0, 9.0, 9.0],
   "ist": [9.0, 9.0, 9.0], "ziel": [9.0, 9.0, 9.0]},
  {"isFeature": true, "id": " ", "theo": [0.0, 0.0, 1.0], "ist": [0.0, 1.0, 0.0],
   "ziel": [1.0, 0.0, 0.0]},
  {"isFeature": true, "id": "", "theo": [3.0, 3.0, 3.0], "ist": [3.0, 3.0, 3.0],
   "ziel": [3.0, 3.0, 3.0]},
  {"isFeature": true, "id": "Zylinder_Ø40", "theo": [1.0, 0.0, 0.0], "ist": [0.9999993, 0.0011, -0.0003],
   "ziel": [1.0, 0.0, 0.0]},
  {"isFeature": true, "id": "bohrung_1", "theo": [2.0, 2.0, 2.0], "ist": [2.0, 2.0, 2.0],
   "ziel": [2.0, 2.0, 2.0]}
]})";
inline const std::vector<std::wstring> kTestList = {
    L"Fläche_Süd", L"Bohrung_1", L"Größe_Nut", L"Bohrung_1", L" ", L"Zylinder_Ø40", L"bohrung_1"};

// No feature that Read lists: only other commands and a feature without identifier.
inline constexpr char kProgramWithoutFeatures[] = R"({"name": "Leer", "commands": [
  {"isFeature": false, "label": "Ausrichtung"},
  {"isFeature": true, "id": "", "theo": [1.0, 2.0, 3.0], "ist": [4.0, 5.0, 6.0], "ziel": [7.0, 8.0, 9.0]},
  {"isFeature": null, "id": "Sicherheitsebene", "label": "Sicherheitsebene"}
]})";

}  // namespace dravosk::e2e
