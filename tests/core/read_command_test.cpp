#include <gtest/gtest.h>

#include "core/commands.h"
#include "core/text.h"
#include "sim/automation.h"
#include "tests/core/cycling_host.h"
#include "tests/core/host_fixture.h"

namespace dravosk {
namespace {

using namespace std::string_literals;
using test::described;
using test::failure;
using test::feature;
using test::HostTest;
using test::nonFeature;
using test::texts;
using List = std::vector<std::u16string>;

class ReadCommand : public HostTest {};

TEST_F(ReadCommand, ListsFeatureIdentifiersExactlyAsTheHostDeliversThem) {
    const std::u16string withNul(u"A\0B", 3);
    load({feature(u"P1"), nonFeature(), feature(u""), feature(u"   "), nonFeature(sim::Null{}),
          feature(u"Kreis_Ø12 Größe"), feature(u"P1"), feature(u"ОТВЕРСТИЕ"), feature(withNul),
          feature(u"p1")});
    read();
    EXPECT_EQ(texts(list),
              (List{u"P1", u"   ", u"Kreis_Ø12 Größe", u"P1", u"ОТВЕРСТИЕ", withNul, u"p1"}));
    for (Int16 i = 0; i < list.count(); ++i) {
        EXPECT_FALSE(list.isMarked(i));
    }
    EXPECT_EQ(recorder.liveObjects(), 0);
}

TEST_F(ReadCommand, CallsTheHostInItsOrderAndAsksNonFeaturesNothingMore) {
    load({feature(u"A"), nonFeature(), feature(u"")});
    read();
    EXPECT_EQ(described(recorder),
              (std::vector<std::string>{"CreateObject()", "ActivePartProgram()", "Commands()",
                                        "_NewEnum()", "IsFeature()", "FeatureCommand()", "ID()",
                                        "IsFeature()", "IsFeature()", "FeatureCommand()", "ID()"}));
    using E = std::pair<Button, bool>;
    EXPECT_EQ(states.enableLog, (std::vector<E>{{Button::schreiben, true},
                                                {Button::allemarkieren, true},
                                                {Button::alledemarkieren, true}}));
}

TEST_F(ReadCommand, NoFeaturesStillEnablesTheButtonsAndReadingTwiceGivesTheSameUnmarkedList) {
    load({nonFeature(), nonFeature(sim::Null{})});
    read();
    EXPECT_EQ(list.count(), 0);
    EXPECT_TRUE(states.isEnabled(Button::schreiben));
    EXPECT_TRUE(states.isEnabled(Button::allemarkieren));
    EXPECT_TRUE(states.isEnabled(Button::alledemarkieren));

    load({feature(u"A"), feature(u"B")});
    read();
    markAll(list);
    read();
    EXPECT_EQ(texts(list), (List{u"A", u"B"}));
    EXPECT_FALSE(list.isMarked(0));
    EXPECT_FALSE(list.isMarked(1));
}

TEST_F(ReadCommand, TakesOddValueTypesAsTheAutomationRulesDo) {
    sim::Command i2True = feature(u"i2");
    i2True.isFeature = std::int16_t{-1};
    sim::Command i2False = feature(u"nein");
    i2False.isFeature = std::int16_t{0};
    sim::Command textTrue = feature(u"text");
    textTrue.isFeature = u"True"s;
    sim::Command empty = feature(u"leer");
    empty.isFeature = std::monostate{};
    sim::Command intId = feature(u"");
    intId.id = std::int32_t{7};
    sim::Command doubleId = feature(u"");
    doubleId.id = 1.5;
    sim::Command emptyId = feature(u"");
    emptyId.id = std::monostate{};
    load({i2True, i2False, textTrue, empty, intId, doubleId, emptyId});
    read();
    EXPECT_EQ(texts(list), (List{u"i2", u"text", u"7", u"1.5"}));
}

TEST_F(ReadCommand, ValuesThatCannotBeTakenAsAskedAreErrorsNotDefaults) {
    sim::Command badFlag = feature(u"X");
    badFlag.isFeature = u"vielleicht"s;
    load({feature(u"A"), badFlag});
    Error e = failure([&] { read(); });
    EXPECT_EQ(e.number(), sim::kTypeMismatch);
    EXPECT_NE(e.where().find(u"Befehl 2"), std::u16string::npos);
    EXPECT_NE(e.where().find(u"IsFeature"), std::u16string::npos);

    sim::Command nullId = feature(u"");
    nullId.id = sim::Null{};
    load({nullId});
    e = failure([&] { read(); });
    EXPECT_EQ(e.number(), sim::kTypeMismatch);
    EXPECT_NE(e.where().find(u"ID"), std::u16string::npos);
    EXPECT_EQ(recorder.liveObjects(), 0);
}

// A failure at any host step ends Read there: nothing is asked of the host after it, the buttons
// stay as they were, every host object is released, and an old list survives unless the host had
// already been reached.
TEST_F(ReadCommand, AFailureAtEachHostStepEndsTheCommandThere) {
    struct Step {
        std::u16string member;
        bool listKept;
    };
    for (const Step& step :
         {Step{u"CreateObject", true}, Step{u"ActivePartProgram", true}, Step{u"Commands", true},
          Step{u"_NewEnum", true}, Step{u"IsFeature", false}, Step{u"FeatureCommand", false},
          Step{u"ID", false}}) {
        SCOPED_TRACE(std::string(step.member.begin(), step.member.end()));
        list.clear();
        list.append(u"alt");
        states = sim::MemoryControlStates{};
        load({feature(u"A"), feature(u"B")});
        faults.clearFaults();
        recorder.clearCalls();
        faults.failAt(step.member, 1, static_cast<std::int32_t>(0x80041234u),
                      u"Korvane ist beschäftigt");

        Error e = failure([&] { read(); });
        EXPECT_EQ(e.number(), static_cast<std::int32_t>(0x80041234u));
        EXPECT_EQ(e.description(), u"Korvane ist beschäftigt");
        EXPECT_NE(e.where().find(step.member), std::u16string::npos);
        EXPECT_EQ(sim::describe(recorder.calls().back()),
                  std::string(step.member.begin(), step.member.end()) + "()");
        EXPECT_EQ(texts(list), step.listKept ? List{u"alt"} : List{});
        EXPECT_FALSE(states.isEnabled(Button::schreiben));
        EXPECT_TRUE(states.enableLog.empty());
        EXPECT_EQ(recorder.liveObjects(), 0);
    }
}

TEST_F(ReadCommand, NoActivePartProgramAndMissingMembersAreReportedClearly) {
    list.append(u"alt");
    model.setActive(std::nullopt);
    Error e = failure([&] { read(); });
    EXPECT_EQ(e.number(), errnum::kNoActivePartProgram);
    EXPECT_EQ(e.where(), u"ActivePartProgram");
    EXPECT_EQ(texts(list), List{u"alt"});
    EXPECT_EQ(recorder.liveObjects(), 0);
    EXPECT_EQ(described(recorder).back(), "ActivePartProgram()") << "Commands asked of nothing";

    load({feature(u"A")});
    faults.removeMember(u"FeatureCommand");
    e = failure([&] { read(); });
    EXPECT_EQ(e.number(), sim::kUnknownName);
    EXPECT_NE(e.where().find(u"FeatureCommand"), std::u16string::npos);
    EXPECT_EQ(recorder.liveObjects(), 0);
}

TEST_F(ReadCommand, MoreThan32767FeaturesIsAClearErrorNotAWrapAround) {
    std::vector<sim::Command> commands(32768, feature(u"M"));
    load(std::move(commands));
    Error e = failure([&] { read(); });
    EXPECT_EQ(e.number(), errnum::kListFull);
    EXPECT_NE(e.where().find(u"Befehl 32768"), std::u16string::npos);
    EXPECT_EQ(list.count(), 32767);
    EXPECT_FALSE(states.isEnabled(Button::schreiben));
    EXPECT_EQ(recorder.liveObjects(), 0);
}

// Commands the list has no entry for are not bounded by the list: a collection that cycles through
// them still ends, with a clear error, at a bound no real part program comes near.
TEST(ReadCycling, ACollectionOfUnlistedCommandsThatNeverEndsIsAClearError) {
    test::CyclingHost host({std::nullopt, u""});
    sim::MemoryFeatureList list;
    sim::MemoryControlStates states;
    CommandProgress progress;
    const Error e = failure([&] { cmd_lesen_Click(host, list, states, progress); });
    EXPECT_EQ(e.number(), errnum::kTooManyCommands);
    EXPECT_EQ(e.where(), u"Befehl " + decimal(kMaxCommands + 1));
    EXPECT_EQ(list.count(), 0);
    EXPECT_FALSE(states.isEnabled(Button::schreiben));
}

}  // namespace
}  // namespace dravosk
