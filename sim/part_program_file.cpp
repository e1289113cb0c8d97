#include "sim/part_program_file.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <fstream>
#include <limits>
#include <sstream>

#include <nlohmann/json.hpp>

#include "core/error.h"
#include "core/text.h"

namespace dravosk::sim {

std::size_t utf8Length(std::string_view text, std::size_t at) {
    char32_t ignored = 0;
    return decodeUtf8(text, at, ignored);
}

std::optional<std::size_t> firstInvalidUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = utf8Length(text, i);
        if (length == 0) {
            return i;
        }
        i += length;
    }
    return std::nullopt;
}

namespace {

using nlohmann::json;

constexpr std::int32_t kFileError = static_cast<std::int32_t>(0xA0040101u);
constexpr const char* kVectorNames[] = {"theo", "ist", "ziel"};

// The format needs four levels (file, command list, command, vector or typed value). The parser
// builds every level before the checks below see it, so without a limit a few megabytes of '['
// would take gigabytes.
constexpr int kMaxDepth = 16;
// Ample for a few hundred thousand commands; it bounds what a stray file can make the server hold.
constexpr std::uintmax_t kMaxFileBytes = 64u << 20;
// Messages quote at most this many characters of the file.
constexpr std::size_t kMaxQuoted = 32;

[[noreturn]] void fail(const std::string& what, const std::string& where) {
    throw Error(kFileError, fromUtf8(what), fromUtf8(where));
}

// UTF-8 on every platform: string() would have to squeeze a wide path into the code page.
std::string nameOf(const std::filesystem::path& file) {
    const std::u8string name = file.u8string();
    return {name.begin(), name.end()};
}

// Line and column (1-based, in characters) of the character at a byte offset.
std::string position(std::string_view text, std::size_t offset) {
    offset = std::min(offset, text.size());
    while (offset > 0 && offset < text.size() && (text[offset] & 0xC0) == 0x80) {
        --offset;  // to the start of the character
    }
    std::size_t line = 1, column = 1;
    for (std::size_t i = 0; i < offset; ++i) {
        if (text[i] == '\n') {
            ++line;
            column = 1;
        } else if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            ++column;
        }
    }
    return "Zeile " + std::to_string(line) + ", Spalte " + std::to_string(column);
}

// At most kMaxQuoted characters, control characters and broken sequences shown as '?'.
std::string excerpt(std::string_view text) {
    std::string result;
    std::size_t characters = 0;
    for (std::size_t i = 0; i < text.size();) {
        if (++characters > kMaxQuoted) {
            return result + "…";
        }
        const std::size_t length = utf8Length(text, i);
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        const bool shown = length > 0 && lead >= 0x20 && lead != 0x7F;
        result += shown ? text.substr(i, length) : "?";
        i += std::max<std::size_t>(length, 1);
    }
    return result;
}

// What the parser would either report only inside texts (broken UTF-8) or take too far
// (nesting), with the position of the first offending byte.
void checkEncodingAndNesting(std::string_view text) {
    if (const std::optional<std::size_t> bad = firstInvalidUtf8(text)) {
        const auto byte = static_cast<unsigned char>(text[*bad]);
        const char* digits = "0123456789ABCDEF";
        fail(std::string("kein gültiges UTF-8 (Byte 0x") + digits[byte >> 4] + digits[byte & 15] +
                 ")",
             position(text, *bad));
    }
    int depth = 0;
    bool inString = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inString) {
            i += c == '\\';  // the escaped character cannot end the text
            inString = c != '"';
        } else if (c == '"') {
            inString = true;
        } else if ((c == '[' || c == '{') && ++depth > kMaxDepth) {
            fail("zu tief verschachtelt (höchstens " + std::to_string(kMaxDepth) + " Ebenen)",
                 position(text, i));
        } else if (c == ']' || c == '}') {
            --depth;  // unbalanced brackets are the parser's to report
        }
    }
}

// Lets the parser check the syntax. Its message goes out without its own position (counted in
// bytes) and with what it quotes of the file shortened.
class SyntaxCheck final : public nlohmann::json_sax<json> {
  public:
    explicit SyntaxCheck(std::string_view text) : text_(text) {}

    bool null() override { return true; }
    bool boolean(bool) override { return true; }
    bool number_integer(number_integer_t) override { return true; }
    bool number_unsigned(number_unsigned_t) override { return true; }
    bool number_float(number_float_t, const string_t&) override { return true; }
    bool string(string_t&) override { return true; }
    bool binary(binary_t&) override { return true; }
    bool start_object(std::size_t) override { return true; }
    bool key(string_t&) override { return true; }
    bool end_object() override { return true; }
    bool start_array(std::size_t) override { return true; }
    bool end_array() override { return true; }

    // `end` is the number of bytes read, the offending one included; `token` is what the parser
    // had read of the value it failed on. A number beyond the range of a double is shown where
    // it starts.
    bool parse_error(std::size_t end, const std::string& token, const json::exception& e) override {
        const std::size_t offset = end - std::min<std::size_t>(end, e.id == 406 ? token.size() : 1);
        std::string message = e.what();
        message.erase(0, message.find("] ") + 2);  // "[json.exception.parse_error.101] "
        if (message.starts_with("parse error")) {
            message.erase(0, message.find(": ") + 2);  // "parse error at line 3, column 7: "
        }
        if (const auto quoted = message.find("'" + token + "'"); quoted != std::string::npos) {
            message.replace(quoted + 1, token.size(), excerpt(token));
        }
        fail((offset >= text_.size() ? "die Datei endet vorzeitig: " : "kein gültiges JSON: ") +
                 message,
             position(text_, offset));
    }

  private:
    std::string_view text_;
};

// Whether `j` is a whole number from `low` to `high`. Unsigned first: every unsigned number also
// counts as an integer, and one above the signed range would read as negative.
bool wholeNumberIn(const json& j, std::int64_t low, std::int64_t high) {
    if (j.is_number_unsigned()) {
        const auto value = j.get<std::uint64_t>();
        return value <= static_cast<std::uint64_t>(high) &&
               (low <= 0 || value >= static_cast<std::uint64_t>(low));
    }
    return j.is_number_integer() && j.get<std::int64_t>() >= low && j.get<std::int64_t>() <= high;
}

template <typename T>
T integer(const json& j, const std::string& where) {
    constexpr std::int64_t low = std::numeric_limits<T>::min(),
                           high = std::numeric_limits<T>::max();
    if (!wholeNumberIn(j, low, high)) {
        fail("Ganzzahl von " + std::to_string(low) + " bis " + std::to_string(high) + " erwartet",
             where);
    }
    return static_cast<T>(j.get<std::int64_t>());
}

std::string kindOf(const json& j) {
    switch (j.type()) {
        case json::value_t::array:
            return "eine Liste";
        case json::value_t::object:
            return "ein Objekt mit " + std::to_string(j.size()) + " Schlüsseln" +
                   (j.empty() ? "" : " (erster \"" + excerpt(j.begin().key()) + "\")");
        default:
            return "ein Wert anderer Art";
    }
}

Value parseValue(const json& j, const std::string& where) {
    switch (j.type()) {
        case json::value_t::null:
            return Null{};
        case json::value_t::boolean:
            return j.get<bool>();
        case json::value_t::string:
            return fromUtf8(j.get<std::string>());
        case json::value_t::number_integer:
        case json::value_t::number_unsigned:
            return integer<std::int32_t>(j, where);
        case json::value_t::number_float:
            return j.get<double>();
        case json::value_t::object:
            if (j.size() == 1) {
                const auto first = j.begin();  // iterators, not items(): its proxy would dangle
                const std::string& key = first.key();
                const json& inner = first.value();
                if (key == "i2")
                    return integer<std::int16_t>(inner, where);
                if (key == "i4")
                    return integer<std::int32_t>(inner, where);
                if (key == "r8" && inner.is_number())
                    return inner.get<double>();
                if (key == "empty" && inner == true)
                    return std::monostate{};
                if (key == "nothing" && inner == true)
                    return Nothing{};
            }
            break;
        default:
            break;
    }
    fail("unbekannte Wertangabe: " + kindOf(j) +
             "; erlaubt sind true, false, null, Text, Zahl, {\"i2\": n}, {\"i4\": n}, "
             "{\"r8\": x}, {\"empty\": true}, {\"nothing\": true}",
         where);
}

Vector parseVector(const json& j, const std::string& where) {
    if (!j.is_array() || j.size() != 3) {
        fail("Vektor mit drei Zahlen erwartet", where);
    }
    Vector v{};
    for (std::size_t i = 0; i < 3; ++i) {
        if (!j[i].is_number()) {
            fail("Vektor mit drei Zahlen erwartet", where);
        }
        v[i] = j[i].get<double>();
    }
    return v;
}

// The keys of `j` must be among `keys`.
void checkKeys(const json& j, std::initializer_list<std::string_view> keys,
               const std::string& where) {
    for (auto item = j.begin(); item != j.end(); ++item) {
        if (std::find(keys.begin(), keys.end(), item.key()) == keys.end()) {
            fail("unbekannter Schlüssel \"" + excerpt(item.key()) + "\"", where);
        }
    }
}

const json& required(const json& j, const char* key, const std::string& where) {
    if (!j.contains(key)) {
        fail(std::string("\"") + key + "\" fehlt", where);
    }
    return j[key];
}

std::chrono::milliseconds milliseconds(const json& j, const std::string& where) {
    if (!wholeNumberIn(j, 0, kMaxFaultMilliseconds)) {
        fail("Millisekunden von 0 bis " + std::to_string(kMaxFaultMilliseconds) + " erwartet",
             where);
    }
    return std::chrono::milliseconds(j.get<std::int64_t>());
}

// Which call of which member: {"member": "PutVector", "nth": 2, ...}.
std::pair<std::u16string, int> memberCall(const json& j, const std::string& where) {
    const json& member = required(j, "member", where);
    if (!member.is_string() || !Model::isMemberName(fromUtf8(member.get<std::string>()))) {
        fail("\"member\" als Name eines Mitglieds des Hosts erwartet (etwa \"PutVector\")", where);
    }
    const json& nth = required(j, "nth", where);
    constexpr auto kMaxNth = std::numeric_limits<std::int32_t>::max();
    if (!wholeNumberIn(nth, 1, kMaxNth)) {
        fail("\"nth\" als Ganzzahl von 1 bis " + std::to_string(kMaxNth) + " erwartet",
             where + ", nth");
    }
    return {fromUtf8(member.get<std::string>()), nth.get<int>()};
}

// One object or a list of objects, each checked by `parse` with its place.
template <class F>
void eachEntry(const json& j, const std::string& where, F&& parse) {
    if (j.is_object()) {
        parse(j, where);
        return;
    }
    if (!j.is_array()) {
        fail("ein Objekt oder eine Liste von Objekten erwartet", where);
    }
    std::size_t number = 0;
    for (const json& entry : j) {
        const std::string place = where + " " + std::to_string(++number);
        if (!entry.is_object()) {
            fail("ein Objekt erwartet", place);
        }
        parse(entry, place);
    }
}

BusyFaults parseFaults(const json& j) {
    if (!j.is_object()) {
        fail("\"faults\" als JSON-Objekt erwartet", "faults");
    }
    checkKeys(j, {"rejectMs", "delay", "hang"}, "faults");
    BusyFaults faults;
    if (j.contains("rejectMs")) {
        faults.reject = milliseconds(j["rejectMs"], "faults, rejectMs");
    }
    if (j.contains("delay")) {
        eachEntry(j["delay"], "faults, delay",
                  [&faults](const json& entry, const std::string& where) {
                      checkKeys(entry, {"member", "nth", "ms"}, where);
                      auto [member, nth] = memberCall(entry, where);
                      faults.delays.push_back(
                          {std::move(member), nth,
                           milliseconds(required(entry, "ms", where), where + ", ms")});
                  });
    }
    if (j.contains("hang")) {
        eachEntry(j["hang"], "faults, hang",
                  [&faults](const json& entry, const std::string& where) {
                      checkKeys(entry, {"member", "nth"}, where);
                      auto [member, nth] = memberCall(entry, where);
                      faults.hangs.push_back({std::move(member), nth});
                  });
    }
    return faults;
}

json formatValue(const Value& value) {
    struct Visitor {
        json operator()(std::monostate) const { return {{"empty", true}}; }
        json operator()(Null) const { return nullptr; }
        json operator()(Nothing) const { return {{"nothing", true}}; }
        json operator()(bool b) const { return b; }
        json operator()(std::int16_t i) const { return {{"i2", i}}; }
        json operator()(std::int32_t i) const { return i; }
        json operator()(double d) const { return {{"r8", d}}; }
        json operator()(const std::u16string& s) const { return toUtf8(s); }
    };
    return std::visit(Visitor{}, value);
}

}  // namespace

PartProgramFile parsePartProgramFile(std::string_view text) {
    checkEncodingAndNesting(text);
    SyntaxCheck check(text);
    json root;
    try {
        json::sax_parse(text.begin(), text.end(), &check);
        root = json::parse(text.begin(), text.end());
    } catch (const json::exception&) {
        fail("kein gültiges JSON", "Datei");  // not reached: the check above has seen the same text
    } catch (const std::bad_alloc&) {
        fail("zu groß für den verfügbaren Speicher", "Datei");
    }
    if (!root.is_object()) {
        fail("ein JSON-Objekt erwartet", "Datei");
    }
    PartProgramFile file;
    if (root.contains("faults")) {
        file.faults = parseFaults(root["faults"]);
    }
    if (root.contains("active") && !root["active"].is_boolean()) {
        fail("active als true oder false erwartet", "active");
    }
    if (root.contains("active") && root["active"] == false) {
        return file;
    }
    PartProgram program;
    if (root.contains("name")) {
        if (!root["name"].is_string())
            fail("Name als Text erwartet", "name");
        program.name = fromUtf8(root["name"].get<std::string>());
    }
    if (!root.contains("commands") || !root["commands"].is_array()) {
        fail("Liste \"commands\" erwartet", "Datei");
    }
    std::size_t number = 0;
    for (const json& c : root["commands"]) {
        const std::string where = "Befehl " + std::to_string(++number);
        if (!c.is_object()) {
            fail("Befehl als JSON-Objekt erwartet", where);
        }
        Command command;
        for (const auto& [key, value] : c.items()) {
            if (key == "isFeature") {
                command.isFeature = parseValue(value, where + ", isFeature");
            } else if (key == "id") {
                command.id = parseValue(value, where + ", id");
            } else if (key == "label") {
                if (!value.is_string())
                    fail("label als Text erwartet", where);
                command.label = fromUtf8(value.get<std::string>());
            } else if (key == "theo" || key == "ist" || key == "ziel") {
                const std::size_t set = key == "theo" ? 0 : key == "ist" ? 1 : 2;
                command.vectors[set] = parseVector(value, where + ", " + key);
            } else {
                fail("unbekannter Schlüssel \"" + excerpt(key) + "\"", where);
            }
        }
        program.commands.push_back(std::move(command));
    }
    file.program = std::move(program);
    return file;
}

std::optional<PartProgram> parsePartProgram(std::string_view text) {
    return parsePartProgramFile(text).program;
}

std::optional<PartProgram> loadPartProgram(const std::filesystem::path& file) {
    return loadPartProgramFile(file).program;
}

PartProgramFile loadPartProgramFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::error_code ignored;
    if (!in || std::filesystem::is_directory(file, ignored)) {  // a folder opens on some systems
        fail("Teileprogrammdatei kann nicht geöffnet werden", nameOf(file));
    }
    if (const std::uintmax_t size = std::filesystem::file_size(file, ignored);
        size != static_cast<std::uintmax_t>(-1) && size > kMaxFileBytes) {
        fail("Teileprogrammdatei zu groß (" + std::to_string(size >> 20) + " MiB, höchstens " +
                 std::to_string(kMaxFileBytes >> 20) + " MiB)",
             nameOf(file));
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) {
        fail("Teileprogrammdatei kann nicht gelesen werden", nameOf(file));
    }
    try {
        return parsePartProgramFile(text.str());
    } catch (Error& e) {
        const std::u16string name = fromUtf8(nameOf(file));
        e.setWhere(e.where().empty() ? name : name + u": " + e.where());
        throw;
    }
}

std::string loadFailureText(const Error& error) {
    return "die Teileprogrammdatei kann nicht geladen werden.\n  " + toUtf8(error.where()) +
           "\n  " + toUtf8(error.description());
}

std::string formatPartProgram(const std::optional<PartProgram>& program) {
    json root = json::object();
    if (!program) {
        root["active"] = false;
        root["commands"] = json::array();
        return root.dump(2);
    }
    root["name"] = toUtf8(program->name);
    json commands = json::array();
    for (const Command& command : program->commands) {
        json c = json::object();
        c["isFeature"] = formatValue(command.isFeature);
        if (!std::holds_alternative<std::monostate>(command.id)) {
            c["id"] = formatValue(command.id);
        }
        if (!command.label.empty()) {
            c["label"] = toUtf8(command.label);
        }
        for (std::size_t set = 0; set < 3; ++set) {
            for (double component : command.vectors[set]) {
                if (!std::isfinite(component)) {
                    fail("Vektor mit nicht endlichem Wert kann nicht gespeichert werden",
                         "Speichern");
                }
            }
            c[kVectorNames[set]] = command.vectors[set];
        }
        commands.push_back(std::move(c));
    }
    root["commands"] = std::move(commands);
    return root.dump(2);
}

void savePartProgram(const std::optional<PartProgram>& program, const std::filesystem::path& file) {
    const std::string text = formatPartProgram(program);
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << text << '\n';
    if (!out.flush()) {
        fail("Teileprogrammdatei kann nicht geschrieben werden", nameOf(file));
    }
}

}  // namespace dravosk::sim
