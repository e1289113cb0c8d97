#include "sim/coercion.h"

#include <cmath>
#include <cstdlib>
#include <string>

#include "core/error.h"
#include "core/text.h"
#include "sim/automation.h"

namespace dravosk::sim {

namespace {

[[noreturn]] void mismatch(std::u16string_view member, std::u16string_view what) {
    throw turnedDown(kTypeMismatch, u"Typen unverträglich: " + std::u16string(what),
                     std::u16string(member));
}

// A plain number in invariant form ("12", " -1.5 ", "1e3"); nullopt for anything else.
std::optional<double> parseNumber(std::u16string_view text) {
    std::string ascii;
    for (char16_t c : text) {
        if (c > 0x7F || c == 0) {
            return std::nullopt;
        }
        ascii += static_cast<char>(c);
    }
    const char* begin = ascii.c_str();
    char* end = nullptr;
    const double value = std::strtod(begin, &end);
    if (end == begin) {
        return std::nullopt;
    }
    while (*end == ' ') {
        ++end;
    }
    if (*end != '\0' || std::isnan(value) || std::isinf(value) ||
        ascii.find_first_of("xXpP") != std::string::npos) {
        return std::nullopt;  // no hex, no "nan"/"inf": the platform does not take those
    }
    return value;
}

}  // namespace

bool toBool(const Value& value, std::u16string_view member) {
    struct Visitor {
        std::u16string_view member;
        bool operator()(std::monostate) const { return false; }
        bool operator()(Null) const { return false; }
        bool operator()(Nothing) const { mismatch(member, u"ein Objekt ist kein Wahrheitswert."); }
        bool operator()(bool b) const { return b; }
        bool operator()(std::int16_t i) const { return i != 0; }
        bool operator()(std::int32_t i) const { return i != 0; }
        bool operator()(double d) const { return d != 0; }
        bool operator()(const std::u16string& text) const {
            if (equalsIgnoringAsciiCase(text, u"true")) {
                return true;
            }
            if (equalsIgnoringAsciiCase(text, u"false")) {
                return false;
            }
            if (auto number = parseNumber(text)) {
                return *number != 0;
            }
            mismatch(member, u"der Text ist kein Wahrheitswert.");
        }
    };
    return std::visit(Visitor{member}, value);
}

std::u16string toText(const Value& value, std::u16string_view member) {
    struct Visitor {
        std::u16string_view member;
        std::u16string operator()(std::monostate) const { return {}; }
        std::u16string operator()(Null) const { mismatch(member, u"Null ist kein Text."); }
        std::u16string operator()(Nothing) const { mismatch(member, u"ein Objekt ist kein Text."); }
        std::u16string operator()(bool b) const { return b ? u"-1" : u"0"; }
        std::u16string operator()(std::int16_t i) const { return decimal(i); }
        std::u16string operator()(std::int32_t i) const { return decimal(i); }
        std::u16string operator()(double d) const { return ascii(number(d, 15, true)); }
        std::u16string operator()(const std::u16string& text) const { return text; }
    };
    return std::visit(Visitor{member}, value);
}

}  // namespace dravosk::sim
