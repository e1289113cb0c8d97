// korvane-sim.exe as the build put it, for a test program that links dravosk_test_support: the
// library gives each such program the server's path relative to the program itself, so the tests
// find it wherever the build tree lies.
#pragma once

#include <string>

#include "tests/support/korvane_sim.h"

#ifndef KORVANE_SIM_RELATIVE
#error "KORVANE_SIM_RELATIVE: korvane-sim.exe relative to the test program"
#endif

namespace dravosk::test {

inline std::wstring korvaneSimPath() {
    return besideThisProgram(KORVANE_SIM_RELATIVE);
}

inline Finished runServer(const std::wstring& arguments) {
    return runServer(korvaneSimPath(), arguments);
}

}  // namespace dravosk::test
