// The releases the tests pretend to run on, by name in the test names and messages.
#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "win/system_functions.h"

namespace dravosk::win {

inline std::string releaseName(WindowsRelease release) {
    switch (release) {
        case WindowsRelease::windows7:
            return "Windows7";
        case WindowsRelease::windows8:
            return "Windows8";
        case WindowsRelease::windows8_1:
            return "Windows8_1";
        case WindowsRelease::windows10_1607:
            return "Windows10_1607";
        case WindowsRelease::newest:
            return "Newest";
    }
    return "Unknown";
}

inline void PrintTo(WindowsRelease release, std::ostream* out) {
    *out << releaseName(release);
}

// For INSTANTIATE_TEST_SUITE_P.
inline std::string testName(const ::testing::TestParamInfo<WindowsRelease>& info) {
    return releaseName(info.param);
}

}  // namespace dravosk::win
