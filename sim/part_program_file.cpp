#include "sim/part_program_file.h"

#include <cmath>
#include <fstream>
#include <limits>
#include <sstream>

#include <nlohmann/json.hpp>

#include "core/error.h"
#include "core/text.h"

namespace dravosk::sim {

namespace {

using nlohmann::json;

constexpr std::int32_t kFileError = static_cast<std::int32_t>(0xA0040101u);
constexpr const char* kVectorNames[] = {"theo", "ist", "ziel"};

[[noreturn]] void fail(const std::string& what, const std::string& where) {
    throw Error(kFileError, fromUtf8(what), fromUtf8(where));
}

// Line and column (1-based) of a byte offset.
std::string position(std::string_view text, std::size_t offset) {
    offset = std::min(offset, text.size());
    std::size_t line = 1, column = 1;
    for (std::size_t i = 0; i < offset; ++i) {
        if (text[i] == '\n') {
            ++line;
            column = 1;
        } else {
            ++column;
        }
    }
    return "Zeile " + std::to_string(line) + ", Spalte " + std::to_string(column);
}

template <typename T>
T integer(const json& j, const std::string& where) {
    if (!j.is_number_integer() || j.get<long long>() < std::numeric_limits<T>::min() ||
        j.get<long long>() > std::numeric_limits<T>::max()) {
        fail("Ganzzahl im Bereich des Typs erwartet", where);
    }
    return static_cast<T>(j.get<long long>());
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
    fail("unbekannte Wertangabe " + j.dump(), where);
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

std::optional<PartProgram> parsePartProgram(std::string_view text) {
    json root;
    try {
        root = json::parse(text.begin(), text.end());
    } catch (const json::parse_error& e) {
        fail(std::string("Teileprogrammdatei fehlerhaft: ") + e.what(),
             position(text, e.byte ? e.byte - 1 : 0));
    }
    if (!root.is_object()) {
        fail("Teileprogrammdatei: ein JSON-Objekt erwartet", "Datei");
    }
    if (root.contains("active") && root["active"] == false) {
        return std::nullopt;
    }
    PartProgram program;
    if (root.contains("name")) {
        if (!root["name"].is_string())
            fail("Name als Text erwartet", "name");
        program.name = fromUtf8(root["name"].get<std::string>());
    }
    if (!root.contains("commands") || !root["commands"].is_array()) {
        fail("Teileprogrammdatei: Liste \"commands\" erwartet", "Datei");
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
                fail("unbekannter Schlüssel \"" + key + "\"", where);
            }
        }
        program.commands.push_back(std::move(command));
    }
    return program;
}

std::optional<PartProgram> loadPartProgram(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        fail("Teileprogrammdatei kann nicht geöffnet werden", file.string());
    }
    std::ostringstream text;
    text << in.rdbuf();
    try {
        return parsePartProgram(text.str());
    } catch (Error& e) {
        e.addContext(fromUtf8(file.string()));
        throw;
    }
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
        fail("Teileprogrammdatei kann nicht geschrieben werden", file.string());
    }
}

}  // namespace dravosk::sim
