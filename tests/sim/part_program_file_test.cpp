#include <gtest/gtest.h>

#include <bit>
#include <chrono>
#include <cmath>

#include "core/error.h"
#include "sim/automation.h"
#include "sim/coercion.h"
#include "sim/part_program_file.h"

namespace dravosk::sim {
namespace {

TEST(PartProgramFile, ReadsEveryValueFormAndWritesItBackBitForBit) {
    const auto program = parsePartProgram(R"({"name": "Größe", "commands": [
        {"isFeature": true, "id": "P1", "theo": [0.0, -0.0, 1], "ist": [0.1, 1e-310, -1.7976931348623157e308]},
        {"isFeature": false, "label": "Ausrichtung"},
        {"isFeature": null, "id": "Ø"},
        {"isFeature": {"i2": -1}, "id": {"i4": 7}},
        {"isFeature": "True", "id": {"r8": 1.5}},
        {"isFeature": {"empty": true}, "id": {"nothing": true}},
        {}
    ]})");
    ASSERT_TRUE(program);
    ASSERT_EQ(program->commands.size(), 7u);
    EXPECT_EQ(program->name, u"Größe");
    const Command& p1 = program->commands[0];
    EXPECT_EQ(p1.isFeature, Value{true});
    EXPECT_EQ(p1.id, Value{std::u16string(u"P1")});
    EXPECT_TRUE(std::signbit(p1.vectors[0][1]));
    EXPECT_EQ(p1.vectors[2], (Vector{0, 0, 0}));
    EXPECT_EQ(program->commands[2].isFeature, Value{Null{}});
    EXPECT_EQ(program->commands[3].isFeature, Value{std::int16_t{-1}});
    EXPECT_EQ(program->commands[3].id, Value{std::int32_t{7}});
    EXPECT_EQ(program->commands[4].id, Value{1.5});
    EXPECT_EQ(program->commands[5].id, Value{Nothing{}});
    EXPECT_EQ(program->commands[6].isFeature, Value{});

    const auto again = parsePartProgram(formatPartProgram(program));
    ASSERT_TRUE(again);
    for (std::size_t c = 0; c < program->commands.size(); ++c) {
        EXPECT_EQ(again->commands[c].isFeature, program->commands[c].isFeature) << c;
        EXPECT_EQ(again->commands[c].id, program->commands[c].id) << c;
        for (std::size_t set = 0; set < 3; ++set) {
            for (std::size_t k = 0; k < 3; ++k) {
                EXPECT_EQ(std::bit_cast<std::uint64_t>(again->commands[c].vectors[set][k]),
                          std::bit_cast<std::uint64_t>(program->commands[c].vectors[set][k]));
            }
        }
    }
    EXPECT_FALSE(parsePartProgram(formatPartProgram(std::nullopt)).has_value());
}

TEST(PartProgramFile, AMalformedFileNamesItsLineAndAWrongValueItsCommand) {
    try {
        parsePartProgram("{\"commands\": [\n  {\"isFeature\": true},\n  {\"isFeature\": tru}\n]}");
        FAIL();
    } catch (const Error& e) {
        EXPECT_NE(e.where().find(u"Zeile 3"), std::u16string::npos) << e.what();
    }
    const char* wrong[] = {
        R"({"commands": [{}, {"theo": [1, 2]}]})",
        R"({"commands": [{}, {"isFeature": {"i2": 40000}}]})",
        R"({"commands": [{}, {"colour": 1}]})",
        R"({"commands": [{}, {"theo": [1, "x", 3]}]})",
    };
    for (const char* text : wrong) {
        try {
            parsePartProgram(text);
            ADD_FAILURE() << text;
        } catch (const Error& e) {
            EXPECT_NE(e.where().find(u"Befehl 2"), std::u16string::npos) << e.what();
        }
    }
    EXPECT_THROW(parsePartProgram("[]"), Error);
    EXPECT_THROW(loadPartProgram("/nonexistent/teileprogramm.json"), Error);
}

TEST(PartProgramFile, RefusesBadInputShortlyAndNeverLoadsANumberChanged) {
    struct Case {
        std::string text;
        std::u16string where;
        std::u16string what;
    };
    const Case cases[] = {
        {R"({"commands": [{"id": )" + std::string(30000, '[') + std::string(30000, ']') + "}]}",
         u"Zeile 1, Spalte 35", u"verschachtelt"},
        {R"({"commands": [{"theo": [1e400, 0, 0]}]})", u"Zeile 1, Spalte 25", u"1e400"},
        {R"({"commands": [{}, {"id": 18446744073709551615}]})", u"Befehl 2, id", u"2147483647"},
        {R"({"commands": [{}, {"id": {"i4": 2147483648}}]})", u"Befehl 2, id", u"2147483647"},
        {R"({"commands": [{}, {"isFeature": {"i2": -32769}}]})", u"Befehl 2, isFeature", u"-32768"},
        {R"({"active": "nein", "commands": []})", u"active", u"true oder false"},
        {"{\"name\": \"Gr\xC3\xB6\xC3\x9F\xC3\xA9\", \"commands\": [{\"id\": \"\xFF\"}]}",
         u"Zeile 1, Spalte 40", u"UTF-8"},
        {"{\"commands\": [\n  {\"id\": \"P1\", \"theo\": [1,", u"Zeile 2, Spalte 27", u"vorzeitig"},
        {"{\"commands\": [{\"" + std::string(5000, 'k') + "\": 1}]}", u"Befehl 1", u"kkk…"},
        {"{\"commands\": [{\"id\": \"" + std::string(5000, 'k') + "\x01\"}]}",
         u"Zeile 1, Spalte 5023", u"U+0001"},
        {"{\"commands\": [{\"id\": 1" + std::string(5000, '0') + "}]}", u"Zeile 1, Spalte 22",
         u"10000"},
        {"{\"commands\": [{\"id\": t\xC3\xB6}]}", u"Zeile 1, Spalte 23", u"JSON"},
    };
    for (const Case& c : cases) {
        const std::string head = c.text.substr(0, 60);
        try {
            parsePartProgram(c.text);
            ADD_FAILURE() << head;
        } catch (const Error& e) {
            EXPECT_NE(e.where().find(c.where), std::u16string::npos) << head << ": " << e.what();
            EXPECT_NE(e.description().find(c.what), std::u16string::npos)
                << head << ": " << e.what();
            EXPECT_LT(e.description().size(), 200u) << head;
        }
    }
}

TEST(PartProgramFile, ReadsTheFaultsOfABusyHostAndNamesAWrongOnesPlace) {
    using std::chrono::milliseconds;
    const PartProgramFile file = parsePartProgramFile(R"({"active": false, "commands": [],
        "faults": {"rejectMs": 3000, "delay": {"member": "PutVector", "nth": 2, "ms": 0},
                   "hang": [{"member": "GetVector", "nth": 1}, {"member": "ID", "nth": 9}]}})");
    EXPECT_FALSE(file.program);
    EXPECT_EQ(file.faults, (BusyFaults{milliseconds(3000),
                                       {{u"PutVector", 2, milliseconds(0)}},
                                       {{u"GetVector", 1}, {u"ID", 9}}}));
    EXPECT_EQ(parsePartProgramFile(R"({"commands": []})").faults, BusyFaults{});

    const std::pair<const char*, const char16_t*> wrong[] = {
        {R"("faults": {"rejectMs": -1})", u"faults, rejectMs"},
        {R"("faults": {"rejectMs": 86400001})", u"faults, rejectMs"},
        {R"("faults": {"rejectMs": 18446744073709551615})", u"faults, rejectMs"},
        {R"("faults": {"rejectMs": 1.5})", u"faults, rejectMs"},
        {R"("faults": {"reject": 100})", u"faults"},
        {R"("faults": {"delay": {"member": "PutVector", "nth": 1}})", u"faults, delay"},
        {R"("faults": {"delay": [{"member": "PutVector", "nth": 1, "ms": 5}, 7]})",
         u"faults, delay 2"},
        {R"("faults": {"hang": [{"member": "putvector", "nth": 1}]})", u"faults, hang 1"},
        {R"("faults": {"hang": {"member": "PutVector", "nth": 0}})", u"faults, hang, nth"},
        {R"("faults": [])", u"faults"},
    };
    for (const auto& [faults, where] : wrong) {
        const std::string text = std::string(R"({"commands": [], )") + faults + "}";
        try {
            parsePartProgramFile(text);
            ADD_FAILURE() << faults;
        } catch (const Error& e) {
            EXPECT_EQ(e.where(), where) << faults << ": " << e.what();
        }
    }
}

TEST(Coercion, FollowsTheAutomationRulesAndRefusesWhatCannotBeTaken) {
    EXPECT_FALSE(toBool(Value{}, u"M"));
    EXPECT_FALSE(toBool(Null{}, u"M"));
    EXPECT_TRUE(toBool(std::int16_t{-1}, u"M"));
    EXPECT_FALSE(toBool(std::int32_t{0}, u"M"));
    EXPECT_TRUE(toBool(std::u16string(u"TRUE"), u"M"));
    EXPECT_FALSE(toBool(std::u16string(u"false"), u"M"));
    EXPECT_TRUE(toBool(std::u16string(u" 2 "), u"M"));
    for (const Value& v :
         {Value{std::u16string(u"ja")}, Value{std::u16string(u"")}, Value{Nothing{}},
          Value{std::u16string(u"0x1")}, Value{std::u16string(u"nan")}}) {
        try {
            toBool(v, u"IsFeature");
            ADD_FAILURE() << "taken as boolean";
        } catch (const Error& e) {
            EXPECT_EQ(e.number(), kTypeMismatch);
            EXPECT_EQ(e.where(), u"IsFeature");
        }
    }
    EXPECT_EQ(toText(Value{}, u"ID"), u"");
    EXPECT_EQ(toText(true, u"ID"), u"-1");
    EXPECT_EQ(toText(std::int32_t{-42}, u"ID"), u"-42");
    EXPECT_EQ(toText(0.1, u"ID"), u"0.1");
    EXPECT_EQ(toText(1e20, u"ID"), u"1E+20");
    const std::u16string exotic(u"日本\0 ", 4);
    EXPECT_EQ(toText(exotic, u"ID"), exotic);
    EXPECT_THROW(toText(Null{}, u"ID"), Error);
}

}  // namespace
}  // namespace dravosk::sim
