#include "sim/automation.h"

#include <cstdio>

namespace dravosk::sim {

std::string number(double value, int digits, bool upperExponent) {
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, upperExponent ? "%.*G" : "%.*g", digits, value);
    return buffer;
}

bool equalsIgnoringAsciiCase(std::u16string_view a, std::u16string_view b) {
    const auto lower = [](char16_t c) {
        return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
    };
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace dravosk::sim
