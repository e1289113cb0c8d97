// Read and Write over COM: what arrives in the list, what the server holds afterwards, and how
// many round trips it took.
#include <string>
#include <vector>

#include "sim/automation.h"
#include "tests/host/local_server/com_fixture.h"

namespace dravosk::host::test {
namespace {

TEST_F(ComCommandsTest, ReadListsEveryFeatureIdentifierExactlyAsTheHostHoldsIt) {
    const std::u16string withNul(u"A\0\u00DF", 3);
    start({u"Prüfteil",
           {feature(u"P1"), nonFeature(false, u"N"), feature(u"Bohrung Ø12 äöüß"),
            command(sim::Null{}, u"X"), feature(u"  "), feature(u"P1"), feature(u""),
            feature(u"P1 "), command(sim::Value{}, u"E"), feature(u"p1"), feature(withNul),
            feature(u"Maß \U0001D538")}});
    server_->lines("clear-calls");

    read();
    const std::vector<std::u16string> expected = {
        u"P1", u"Bohrung Ø12 äöüß", u"  ", u"P1", u"P1 ", u"p1", withNul, u"Maß \U0001D538"};
    EXPECT_EQ(entries(), expected);
    for (Int16 i = 0; i < list_.count(); ++i) {
        EXPECT_FALSE(list_.isMarked(i));
    }
    const std::vector<std::pair<Button, bool>> enabled = {
        {Button::schreiben, true}, {Button::allemarkieren, true}, {Button::alledemarkieren, true}};
    EXPECT_EQ(states_.enableLog, enabled);
    // Non-features get no call beyond IsFeature; each object is asked for each name once; the
    // twelve commands come in one batch.
    EXPECT_EQ(roundTrips("GetIDsOfNames IsFeature"), 12);
    EXPECT_EQ(roundTrips("Invoke IsFeature"), 12);
    EXPECT_EQ(roundTrips("GetIDsOfNames FeatureCommand"), 9);
    EXPECT_EQ(roundTrips("Invoke FeatureCommand"), 9);
    EXPECT_EQ(roundTrips("GetIDsOfNames ID"), 9);
    EXPECT_EQ(roundTrips("Invoke ID"), 9);
    EXPECT_EQ(roundTrips("Next"), 1);
    EXPECT_EQ(count("call GetVector("), 0);
    expectNoLiveObjects();

    // A second Read rebuilds the same list; marks made in between are gone.
    list_.setMarked(0, true);
    read();
    EXPECT_EQ(entries(), expected);
    EXPECT_FALSE(list_.isMarked(0));
    expectNoLiveObjects();
}

TEST_F(ComCommandsTest, ReadWalksALongProgramInBatches) {
    PartProgram program{u"Lang", {}};
    for (int i = 0; i < 200; ++i) {
        const std::string n = std::to_string(i);
        program.commands.push_back(i % 4 == 3 ? nonFeature(false, {})
                                              : feature(u"M" + std::u16string(n.begin(), n.end())));
    }
    start(program);
    server_->lines("clear-calls");
    read();
    ASSERT_EQ(list_.count(), 150);
    EXPECT_EQ(list_.text(0), u"M0");
    EXPECT_EQ(list_.text(149), u"M198");
    EXPECT_LE(roundTrips("Next"), 4);  // 200 commands in batches, not one call each
    EXPECT_EQ(roundTrips("GetIDsOfNames ID"), 150);
    expectNoLiveObjects();
}

TEST_F(ComCommandsTest, WriteReversesTheCheckedVectorsOfMarkedFeaturesBitForBit) {
    const PartProgram before{
        u"Prüfteil",
        {feature(u"P1", {0, 1, 0}, {1.5, -2.25, 4.9406564584124654e-324}, {-0.0, 0.1, -1e300}),
         nonFeature(false, u"P1"),
         feature(u"Bohrung Ø12 äöüß", {0.30000000000000004, -7, 123456.789}, {1, 1, 1},
                 {2.2250738585072014e-308, -0.0, 3}),
         feature(u"P2"), feature(u"P1", {5e-324, -0.0, 2}, {3, 3, 3}, {-4, 0, 4}), feature(u"p1"),
         feature(u"P1 ")}};
    start(before);
    read();
    // Both entries of P1 are marked: each P1 feature is still reversed only once.
    mark(u"P1");
    mark(u"Bohrung Ø12 äöüß");
    states_.setCheck(CheckBox::check2, 0);
    server_->lines("clear-calls");

    write();

    const PartProgram after = hostProgram();
    ASSERT_EQ(after.commands.size(), before.commands.size());
    for (std::size_t i = 0; i < before.commands.size(); ++i) {
        const auto& was = before.commands[i].vectors;
        const auto& now = after.commands[i].vectors;
        const bool reversed = i == 0 || i == 2 || i == 4;
        const std::string what = "command " + std::to_string(i + 1);
        expectSameBits(now[0], reversed ? negated(was[0]) : was[0], what + " Theo");
        expectSameBits(now[1], was[1], what + " IST");
        expectSameBits(now[2], reversed ? negated(was[2]) : was[2], what + " Ziel");
    }
    EXPECT_EQ(count("call GetVector("), 9);
    EXPECT_EQ(count("call PutVector("), 6);
    // Each feature object is asked for each method's number once, however often it is called.
    EXPECT_EQ(roundTrips("GetIDsOfNames GetVector"), 3);
    EXPECT_EQ(roundTrips("GetIDsOfNames PutVector"), 3);
    EXPECT_EQ(count("call PutVector(1, 2, -0, -1, -0)"), 1);
    EXPECT_EQ(count("call PutVector(1, 27, 0, -0.10000000000000001, 1.0000000000000001e+300)"), 1);

    EXPECT_EQ(states_.messages, std::vector<std::u16string>{std::u16string(kWrittenMessage)});
    EXPECT_EQ(list_.count(), 0);
    EXPECT_FALSE(states_.isEnabled(Button::schreiben));
    EXPECT_TRUE(states_.isEnabled(Button::allemarkieren));
    EXPECT_TRUE(states_.isEnabled(Button::alledemarkieren));
    expectNoLiveObjects();
}

TEST_F(ComCommandsTest, UncheckedBoxesAndUnmarkedEntriesWriteNothing) {
    const PartProgram before{u"Prüfteil",
                             {feature(u"P1", {0, 1, 0}, {1, 2, 3}, {-0.0, 5, 6}), feature(u"P2")}};
    start(before);

    read();
    server_->lines("clear-calls");
    write();  // nothing marked
    EXPECT_EQ(count("call GetVector("), 0);
    EXPECT_EQ(states_.messages.size(), 1u);
    expectNoLiveObjects();

    read();
    markAll(list_);
    for (CheckBox box : {CheckBox::check1, CheckBox::check2, CheckBox::check3}) {
        states_.setCheck(box, 0);
    }
    server_->lines("clear-calls");
    write();
    // Every vector of a marked match is read; none is written.
    EXPECT_EQ(count("call GetVector("), 6);
    EXPECT_EQ(count("call PutVector("), 0);
    const PartProgram after = hostProgram();
    for (std::size_t i = 0; i < 2; ++i) {
        for (std::size_t set = 0; set < 3; ++set) {
            expectSameBits(after.commands[i].vectors[set], before.commands[i].vectors[set],
                           "command " + std::to_string(i + 1));
        }
    }
    EXPECT_EQ(states_.messages.size(), 2u);
    EXPECT_EQ(list_.count(), 0);
    expectNoLiveObjects();
}

TEST_F(ComCommandsTest, ValuesOfOtherTypesAreTakenAsBooleanAndText) {
    start({u"Typen",
           {command(sim::Null{}, u"N"), command(std::int16_t{0}, u"Z"),
            command(std::int16_t{-1}, u"I2"), command(u"True", u"T"), command(u"False", u"F"),
            feature(std::int32_t{7}, {1, 2, 3}, {4, 5, 6}, {7, 8, 9}),
            feature(2.5, {-1, -2, -3}, {0, 0, 0}, {1, 1, 1}), command(std::int32_t{1}, u"I4"),
            command(sim::Value{}, u"E"), feature(std::int16_t{-12})}});
    read();
    EXPECT_EQ(entries(), (std::vector<std::u16string>{u"I2", u"T", u"7", u"2.5", u"I4", u"-12"}));
    expectNoLiveObjects();

    // At Write the identifiers are taken as text again and matched.
    mark(u"7");
    mark(u"2.5");
    write();
    const PartProgram after = hostProgram();
    expectSameBits(after.commands[5].vectors[0], {-1.0, -2.0, -3.0}, "ID 7");
    expectSameBits(after.commands[6].vectors[1], {-0.0, -0.0, -0.0}, "ID 2.5");
    expectSameBits(after.commands[9].vectors[0], {1, 2, 3}, "ID -12");
    expectNoLiveObjects();
}

TEST_F(ComCommandsTest, ValuesThatCannotBeTakenEndReadWithTypeMismatch) {
    start({u"Typen", {feature(u"P1"), command(u"ja", u"J")}});
    Error notBoolean = failure([&] { read(); });
    EXPECT_EQ(notBoolean.number(), sim::kTypeMismatch);
    EXPECT_NE(notBoolean.description().find(u"Wahrheitswert"), std::u16string::npos)
        << notBoolean.what();
    EXPECT_EQ(notBoolean.where(), u"Befehl 2: IsFeature");
    expectNoLiveObjects();

    load({u"Typen", {feature(u"P1"), feature(sim::Null{})}});
    Error nullId = failure([&] { read(); });
    EXPECT_EQ(nullId.number(), sim::kTypeMismatch);
    EXPECT_NE(nullId.description().find(u"Null"), std::u16string::npos) << nullId.what();
    EXPECT_EQ(nullId.where(), u"Befehl 2: ID");
    // The walk had got as far as the first feature.
    EXPECT_EQ(entries(), std::vector<std::u16string>{u"P1"});
    expectNoLiveObjects();
}

}  // namespace
}  // namespace dravosk::host::test
