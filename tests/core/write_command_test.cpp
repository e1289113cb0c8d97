#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>

#include "core/text.h"
#include "sim/memory_window.h"
#include "sim/automation.h"
#include "tests/core/cycling_host.h"
#include "tests/core/host_fixture.h"
#include "tests/support/bits.h"
#include "tests/support/written.h"

namespace dravosk {
namespace {

using test::anyUncertain;
using test::changed;
using test::described;
using test::failure;
using test::feature;
using test::HostTest;
using test::negated;
using test::nonFeature;
using test::sameBits;
using test::texts;
using Calls = std::vector<std::string>;
using List = std::vector<std::u16string>;

class WriteCommand : public HostTest {
  protected:
    // Reads, then marks the entries whose index is listed.
    void readAndMark(std::initializer_list<Int16> marked) {
        read();
        for (Int16 i : marked) {
            list.setMarked(i, true);
        }
        recorder.clearCalls();
        states.enableLog.clear();
    }
    void expectWrittenState() {
        EXPECT_EQ(states.messages, List{u"Alle selektierten Merkmale umgekehrt"});
        EXPECT_EQ(list.count(), 0);
        EXPECT_FALSE(states.isEnabled(Button::schreiben));
        EXPECT_TRUE(states.isEnabled(Button::allemarkieren));
        EXPECT_TRUE(states.isEnabled(Button::alledemarkieren));
        EXPECT_TRUE(states.isEnabled(Button::lesen));
        EXPECT_EQ(recorder.liveObjects(), 0);
    }
};

TEST_F(WriteCommand, CallsTheHostExactlyAsExpectedForASmallCase) {
    load({feature(u"A", {1, 2, 3}, {4, 5, 6}, {7, 8, 9}), nonFeature(), feature(u"B")});
    readAndMark({0});
    states.setCheck(CheckBox::check2, 0);
    write();
    EXPECT_EQ(described(recorder),
              (Calls{"CreateObject()", "ActivePartProgram()", "Commands()", "_NewEnum()",
                     "IsFeature()", "FeatureCommand()", "ID()", "GetVector(1, 2, &, &, &)",
                     "PutVector(1, 2, -1, -2, -3)", "GetVector(1, 3, &, &, &)",
                     "GetVector(1, 27, &, &, &)", "PutVector(1, 27, -7, -8, -9)", "IsFeature()",
                     "IsFeature()", "FeatureCommand()", "ID()"}));
    EXPECT_TRUE(sameBits(command(0).vectors[1], {4, 5, 6}));
    expectWrittenState();
}

TEST_F(WriteCommand, NegatesEachComponentInPlaceAndZeroGoesBackAsNegativeZero) {
    load({feature(u"A", {0, 1, 0}, {-0.0, -2.5, 1e-300}, {0.1, -0.2, 1e308})});
    readAndMark({0});
    write();
    EXPECT_TRUE(sameBits(command(0).vectors[0], {-0.0, -1, -0.0}));
    EXPECT_TRUE(sameBits(command(0).vectors[1], {0.0, 2.5, -1e-300}));
    EXPECT_TRUE(sameBits(command(0).vectors[2], {-0.1, 0.2, -1e308}));
}

TEST_F(WriteCommand, NothingMarkedOrNoBoxCheckedWritesNothingButCompletes) {
    load({feature(u"A"), nonFeature(), feature(u"B")});
    const auto before = model.active()->commands;
    readAndMark({});
    write();
    EXPECT_EQ(described(recorder),
              (Calls{"CreateObject()", "ActivePartProgram()", "Commands()", "_NewEnum()",
                     "IsFeature()", "FeatureCommand()", "ID()", "IsFeature()", "IsFeature()",
                     "FeatureCommand()", "ID()"}));
    expectWrittenState();

    states = sim::MemoryControlStates{};
    readAndMark({1});
    for (CheckBox box : {CheckBox::check1, CheckBox::check2, CheckBox::check3}) {
        states.setCheck(box, 0);
    }
    write();
    const Calls calls = described(recorder);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "GetVector(1, 2, &, &, &)"), 1);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "GetVector(1, 3, &, &, &)"), 1);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "GetVector(1, 27, &, &, &)"), 1);
    for (const std::string& call : calls) {
        EXPECT_EQ(call.rfind("PutVector", 0), std::string::npos);
    }
    for (std::size_t i = 0; i < before.size(); ++i) {
        for (std::size_t set = 0; set < 3; ++set) {
            EXPECT_TRUE(sameBits(command(i).vectors[set], before[i].vectors[set]));
        }
    }
    expectWrittenState();
}

TEST_F(WriteCommand, MatchesIdentifiersExactlyAsTheyStandInTheHostNow) {
    load({feature(u"Bohrung"), feature(u"bohrung"), feature(u"Bohrung "), feature(u"Weg"),
          feature(u"Bohrung")});
    read();
    for (Int16 i : {Int16{1}, Int16{2}, Int16{3}}) {  // "bohrung", "Bohrung ", "Weg"
        list.setMarked(i, true);
    }
    // Since the read: "Weg" is gone from the host, a new feature carries a listed identifier.
    model.active()->commands.erase(model.active()->commands.begin() + 3);
    model.active()->commands.push_back(feature(u"bohrung"));
    const auto before = model.active()->commands;
    write();
    const bool expected[] = {false, true, true, false, true};
    for (std::size_t i = 0; i < before.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(sameBits(command(i).vectors[0], negated(before[i].vectors[0])), expected[i]);
    }
    expectWrittenState();
}

TEST_F(WriteCommand, IdentifiersWithEmbeddedNulOrNonLatinLettersMatchOnlyThemselves) {
    const std::u16string withNul(u"A\0B", 3);
    load({feature(withNul), feature(u"A"), feature(u"Ø Größe"), feature(u"Ø Grösse")});
    readAndMark({0, 2});
    write();
    EXPECT_TRUE(sameBits(command(0).vectors[0], {-1, -2, -3}));
    EXPECT_TRUE(sameBits(command(1).vectors[0], {1, 2, 3}));
    EXPECT_TRUE(sameBits(command(2).vectors[0], {-1, -2, -3}));
    EXPECT_TRUE(sameBits(command(3).vectors[0], {1, 2, 3}));
}

TEST_F(WriteCommand, AFeatureIsReversedOnceHoweverManyMarkedEntriesCarryItsIdentifier) {
    load({feature(u"P", {1, 0, 0}), feature(u"P", {0, 1, 0}), feature(u"Q", {0, 0, 1})});
    readAndMark({0, 1});
    write();
    EXPECT_TRUE(sameBits(command(0).vectors[0], {-1, -0.0, -0.0}));
    EXPECT_TRUE(sameBits(command(1).vectors[0], {-0.0, -1, -0.0}));
    EXPECT_TRUE(sameBits(command(2).vectors[0], {0, 0, 1}));

    readAndMark({1});  // one of the two entries marked: both features are reversed
    write();
    EXPECT_TRUE(sameBits(command(0).vectors[0], {1, 0, 0}));
    EXPECT_TRUE(sameBits(command(1).vectors[0], {0, 1, 0}));
}

// The check boxes count as they stand when each vector is reached, not as they stood at the start.
class ScriptedChecks final : public ControlStates {
  public:
    void setEnabled(Button, bool) override {}
    int checkState(CheckBox box) const override {
        reads.push_back(box);
        return script.at(reads.size() - 1);
    }
    void showMessage(std::u16string_view) override {}
    std::vector<int> script;
    mutable std::vector<CheckBox> reads;
};

TEST_F(WriteCommand, ReadsEachCheckBoxAtTheMomentItsVectorIsReached) {
    load({feature(u"A"), feature(u"B")});
    read();
    markAll(list);
    ScriptedChecks checks;
    checks.script = {1, 0, 0, 0, 0, 1};
    write(checks);
    EXPECT_EQ(checks.reads,
              (std::vector<CheckBox>{CheckBox::check1, CheckBox::check2, CheckBox::check3,
                                     CheckBox::check1, CheckBox::check2, CheckBox::check3}));
    EXPECT_TRUE(sameBits(command(0).vectors[0], {-1, -2, -3}));
    EXPECT_TRUE(sameBits(command(0).vectors[2], {7, 8, 9}));
    EXPECT_TRUE(sameBits(command(1).vectors[0], {1, 2, 3}));
    EXPECT_TRUE(sameBits(command(1).vectors[2], {-7, -8, -9}));
}

TEST_F(WriteCommand, NeverWritesBackAVectorTheHostDidNotDeliver) {
    load({feature(u"A"), feature(u"B"), feature(u"C")});
    readAndMark({0, 1, 2});
    faults.leaveVectorUnfilledAt(5);  // B's second data set (code 3)
    Error e = failure([&] { write(); });
    EXPECT_EQ(e.number(), errnum::kVectorNotFilled);
    EXPECT_NE(e.where().find(u"Merkmal \"B\", Datensatz 3"), std::u16string::npos);
    EXPECT_EQ(changed(written()), (List{u"A", u"B"}));
    // B's Theo was written before: the text must not claim nothing was.
    EXPECT_NE(
        e.description().find(u"ist Theo schon umgekehrt; ab IST wurde nichts mehr geschrieben"),
        std::u16string::npos)
        << toUtf8(e.description());
    EXPECT_TRUE(sameBits(command(1).vectors[0], {-1, -2, -3}));
    EXPECT_TRUE(sameBits(command(1).vectors[1], {4, 5, 6}))
        << "nothing written for the unfilled set";
    EXPECT_TRUE(sameBits(command(2).vectors[0], {1, 2, 3}));
    const Calls calls = described(recorder);
    EXPECT_EQ(calls.back(), "GetVector(1, 3, &, &, &)");
}

// A failure at any host step mid-write: what was written stays, nothing more is done, the error
// names what changed, the list and Write stay as they were, and every host object is released.
TEST_F(WriteCommand, AFailureMidWriteStopsThereAndReportsWhatStaysWritten) {
    struct Step {
        std::u16string member;
        int nth;
        List changed;
        std::size_t untouchedFrom;  // first command whose vectors must still be as loaded
    };
    // Commands: A (feature), x (not a feature), B, A again. All marked, all boxes checked.
    for (const Step& step :
         {Step{u"GetVector", 1, {}, 0}, Step{u"PutVector", 1, {}, 0},
          Step{u"GetVector", 4, {u"A"}, 1}, Step{u"PutVector", 5, {u"A", u"B"}, 3},
          Step{u"IsFeature", 3, {u"A"}, 1}, Step{u"FeatureCommand", 3, {u"A", u"B"}, 3},
          Step{u"ID", 2, {u"A"}, 1}}) {
        SCOPED_TRACE(std::string(step.member.begin(), step.member.end()) + " #" +
                     std::to_string(step.nth));
        load({feature(u"A"), nonFeature(), feature(u"B"), feature(u"A")});
        const auto before = model.active()->commands;
        states = sim::MemoryControlStates{};
        faults.clearFaults();
        readAndMark({0, 1, 2});
        faults.failAt(step.member, step.nth, static_cast<std::int32_t>(0x80020009u),
                      u"Schreibschutz");

        Error e = failure([&] { write(); });
        EXPECT_EQ(e.description(), u"Schreibschutz");
        EXPECT_NE(e.where().find(step.member), std::u16string::npos);
        EXPECT_EQ(changed(written()), step.changed);
        EXPECT_FALSE(anyUncertain(written())) << "the host answered: nothing is uncertain";
        for (std::size_t i = step.untouchedFrom; i < before.size(); ++i) {
            for (std::size_t set = 0; set < 3; ++set) {
                EXPECT_TRUE(sameBits(command(i).vectors[set], before[i].vectors[set])) << i;
            }
        }
        EXPECT_TRUE(states.messages.empty());
        EXPECT_EQ(list.count(), 3);
        EXPECT_TRUE(states.isEnabled(Button::schreiben));
        EXPECT_EQ(recorder.liveObjects(), 0);
    }
}

// A PutVector whose connection broke, and which the host cannot be asked about afterwards, may or
// may not have been carried out: it is named apart from the data sets that were written, per
// feature.
TEST_F(WriteCommand, NamesPerFeatureWhatWasWrittenAndAPutVectorOfUnknownOutcomeApart) {
    load({feature(u"A"), nonFeature(), feature(u"B"), feature(u"C")});
    readAndMark({0, 1, 2});
    states.setCheck(CheckBox::check2, 0);
    faults.failAt(u"PutVector", 4, static_cast<std::int32_t>(0x800706BEu),
                  u"Aufruf fehlgeschlagen");
    // The question after it, B's seventh GetVector counted from here, fails the same way.
    faults.failAt(u"GetVector", 7, static_cast<std::int32_t>(0x800706BEu),
                  u"Aufruf fehlgeschlagen");
    Error e = failure([&] { write(); });
    const auto& features = written().features();
    ASSERT_EQ(features.size(), 2u);
    EXPECT_EQ(features[0].id, u"A");
    EXPECT_EQ(features[0].reversed, (std::vector<std::int32_t>{2, 27}));
    EXPECT_TRUE(features[0].uncertain.empty());
    EXPECT_EQ(features[1].id, u"B");
    EXPECT_EQ(features[1].reversed, (std::vector<std::int32_t>{2}));
    EXPECT_EQ(features[1].uncertain, (std::vector<std::int32_t>{27}));
    EXPECT_EQ(changed(written()), (List{u"A", u"B"}));
}

// A PutVector that came back failed is judged by what the host says the vector is afterwards,
// whatever its number: a host may raise its exception after it has written. The question is one
// GetVector of the same data set and writes nothing; while it is out, the PutVector is still
// uncertain, so giving up on the question names it so.
TEST_F(WriteCommand, AFailedPutVectorIsJudgedByWhatTheHostSaysTheVectorIsAfterwards) {
    const auto writeFailing = [&](bool afterwards, std::int32_t number) {
        load({feature(u"A"), feature(u"B")});
        faults.clearFaults();
        readAndMark({0, 1});
        // B's second PutVector (IST), the fifth of the Write.
        if (afterwards) {
            faults.failAfterAt(u"PutVector", 5, number, u"Achse gesperrt");
        } else {
            faults.failAt(u"PutVector", 5, number, u"Achse gesperrt");
        }
        return failure([&] { write(); });
    };
    const auto kException = static_cast<std::int32_t>(0x80020009u);

    Error late = writeFailing(true, kException);
    EXPECT_EQ(late.number(), kException);
    EXPECT_EQ(late.where(), u"Befehl 2: Merkmal \"B\", Datensatz 3: PutVector");
    const auto& features = written().features();
    ASSERT_EQ(features.size(), 2u);
    EXPECT_EQ(features[1].reversed, (std::vector<std::int32_t>{2, 3}));
    EXPECT_TRUE(features[1].uncertain.empty());
    EXPECT_TRUE(sameBits(command(1).vectors[1], {-4, -5, -6}));
    const Calls calls = described(recorder);
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[calls.size() - 2], "PutVector(1, 3, -4, -5, -6)");
    EXPECT_EQ(calls.back(), "GetVector(1, 3, &, &, &)") << "asked once, nothing written after";

    // The same exception before anything was written, with the host's own code: not written.
    Error early = writeFailing(false, static_cast<std::int32_t>(0x800A03ECu));
    EXPECT_EQ(written().features().at(1).reversed, std::vector<std::int32_t>{2});
    EXPECT_FALSE(anyUncertain(written()));
    EXPECT_TRUE(sameBits(command(1).vectors[1], {4, 5, 6}));

    // The vector is neither as it was nor negated: uncertain.
    load({feature(u"A")});
    faults.clearFaults();
    readAndMark({0});
    faults.failAfterAt(u"PutVector", 1, kException, u"Achse gesperrt");
    model.onChange = [&] { command(0).vectors[0] = {9, 9, 9}; };
    Error odd = failure([&] { write(); });
    model.onChange = nullptr;
    EXPECT_EQ(written().features().at(0).uncertain, std::vector<std::int32_t>{2});
    EXPECT_TRUE(written().features().at(0).reversed.empty());

    // Given up on while the question is out: the PutVector is named as uncertain.
    struct Watch final : CallObserver {
        CommandProgress* progress = nullptr;
        std::optional<test::GivenUp> givenUp;
        void callStarted(std::u16string_view member) noexcept override {
            if (member == u"GetVector" && progress->record().inFlight() && !givenUp) {
                givenUp = test::GivenUp{progress->stepText(member), progress->record()};
            }
        }
        void callEnded() noexcept override {}
    } watch;
    watch.progress = &progress;
    load({feature(u"A"), feature(u"B")});
    faults.clearFaults();
    readAndMark({0, 1});
    faults.failAfterAt(u"PutVector", 5, kException, u"Achse gesperrt");
    host.setObserver(&watch);
    failure([&] { write(); });
    host.setObserver(nullptr);
    ASSERT_TRUE(watch.givenUp);
    EXPECT_EQ(watch.givenUp->step,
              u"Befehl 2: Merkmal \"B\", Datensatz 3: Nachlesen nach fehlgeschlagenem "
              u"PutVector: GetVector");
    EXPECT_EQ(watch.givenUp->record.features().at(1).reversed, std::vector<std::int32_t>{2});
    EXPECT_EQ(watch.givenUp->record.inFlight(), std::optional<std::int32_t>{3}) << "uncertain";
}

// Every vector written, then the final message cannot be shown: the error still says what was
// written.
TEST_F(WriteCommand, AFinalMessageThatCannotBeShownStillNamesWhatWasWritten) {
    struct FailingMessage final : ControlStates {
        void setEnabled(Button, bool) override {}
        int checkState(CheckBox) const override { return 1; }
        void showMessage(std::u16string_view) override {
            throw Error(static_cast<std::int32_t>(0x80070008u), u"kein Speicher", u"Meldung");
        }
    } failing;
    load({feature(u"A"), feature(u"B")});
    readAndMark({0, 1});
    Error e = failure([&] { write(failing); });
    EXPECT_EQ(e.where(), u"Meldung");
    EXPECT_EQ(changed(written()), (List{u"A", u"B"}));
    EXPECT_EQ(written().features().at(1).reversed, (std::vector<std::int32_t>{2, 3, 27}));
}

// While a host call is out, the progress names it exactly as an error at that call would, and a
// call given up on then gives the record with a PutVector in flight as uncertain.
TEST_F(WriteCommand, TheCallInFlightIsNamedAsItsErrorWouldBe) {
    struct Watch final : CallObserver {
        CommandProgress* progress = nullptr;
        std::vector<std::u16string> members, steps;
        std::optional<test::GivenUp> givenUp;
        int open = 0;
        void callStarted(std::u16string_view member) noexcept override {
            ++open;
            members.emplace_back(member);
            steps.push_back(progress->stepText(member));
            if (member == u"PutVector" && !givenUp &&
                std::count(members.begin(), members.end(), u"PutVector") == 2) {
                givenUp = test::GivenUp{progress->stepText(member), progress->record()};
            }
        }
        void callEnded() noexcept override { --open; }
    } watch;
    watch.progress = &progress;
    const auto prepare = [&] {
        faults.clearFaults();
        load({feature(u"A"), nonFeature(), feature(u"B")});
        states = sim::MemoryControlStates{};
        read();
        markAll(list);
    };
    prepare();
    host.setObserver(&watch);
    write();
    host.setObserver(nullptr);
    EXPECT_EQ(watch.open, 0) << "no call is out after the command";
    ASSERT_TRUE(watch.givenUp);
    EXPECT_EQ(watch.givenUp->step, u"Befehl 1: Merkmal \"A\", Datensatz 3: PutVector");
    ASSERT_EQ(watch.givenUp->record.features().size(), 1u);
    EXPECT_EQ(watch.givenUp->record.features()[0].reversed, std::vector<std::int32_t>{2});
    EXPECT_EQ(watch.givenUp->record.inFlight(), std::optional<std::int32_t>{3}) << "uncertain";

    // Each call the model can fail at, failed in turn: the error names the step seen in flight.
    std::map<std::u16string, int> seen;
    for (std::size_t k = 0; k < watch.members.size(); ++k) {
        const std::u16string& member = watch.members[k];
        const int nth = ++seen[member];
        if (member == u"IEnumVARIANT::Next") {
            continue;  // the model cannot fail there
        }
        SCOPED_TRACE(toUtf8(watch.steps[k]));
        prepare();
        faults.failAt(member, nth, sim::kException, u"Fehler");
        Error e = failure([&] { write(); });
        EXPECT_EQ(e.where(), watch.steps[k]);
    }
}

// A collection that starts over would have the same features reversed lap after lap: Write stops
// at the first feature object it meets again, before it touches it. Each feature is reversed once
// and named so, two features with one identifier included.
TEST(WriteCycling, ACollectionThatStartsOverStopsAtTheFirstFeatureMetAgain) {
    test::CyclingHost host({std::nullopt, u"A", u"", u"B", u"A"});
    sim::MemoryFeatureList list;
    list.append(u"A");
    list.append(u"B");
    list.setMarked(0, true);
    list.setMarked(1, true);
    sim::MemoryControlStates states;
    CommandProgress progress;
    const Error e = failure([&] { cmd_schreiben_Click(host, list, states, progress); });
    EXPECT_EQ(e.number(), errnum::kFeatureMetAgain);
    EXPECT_EQ(e.where(), u"Befehl 7: Merkmal \"A\"") << "the second lap's first feature";
    EXPECT_EQ(host.getVectors, 9u);
    EXPECT_EQ(host.putVectors, 9u);
    const auto& features = progress.record().features();
    ASSERT_EQ(features.size(), 3u);
    for (std::size_t i = 0; i < features.size(); ++i) {
        EXPECT_EQ(features[i].id, (List{u"A", u"B", u"A"}[i]));
        EXPECT_EQ(features[i].reversed, (std::vector<std::int32_t>{2, 3, 27}));
        EXPECT_TRUE(features[i].uncertain.empty());
    }
    EXPECT_FALSE(progress.record().inFlight());
    EXPECT_TRUE(states.messages.empty());
    EXPECT_EQ(list.count(), 2);
}

// A collection that never ends and hands out new objects each time cannot be told from a long
// one: Write stops at the first feature beyond what the list can hold, before it touches that
// one. The error names what was written, but not as reversed where the same feature may have
// been reversed again and again: each of its data sets is uncertain.
TEST(WriteCycling, ACollectionThatNeverEndsStopsAtTheFeatureBeyondTheList) {
    CommandProgress progress;
    test::CyclingHost host({std::nullopt, u"", u"A"}, test::CyclingHost::Objects::fresh);
    sim::MemoryFeatureList list;
    list.append(u"A");
    list.setMarked(0, true);
    sim::MemoryControlStates states;
    const Error e = failure([&] { cmd_schreiben_Click(host, list, states, progress); });
    EXPECT_EQ(e.number(), errnum::kTooManyFeatures);
    EXPECT_EQ(e.where(), u"Befehl 98304") << "the 32,768th feature, as its command";
    EXPECT_NE(e.description().find(u"32767"), std::u16string::npos) << toUtf8(e.description());
    EXPECT_EQ(host.getVectors, 3u * 32767u);
    EXPECT_EQ(host.putVectors, 3u * 32767u);
    ASSERT_EQ(progress.record().features().size(), 1u);
    EXPECT_EQ(progress.record().features()[0].id, u"A");
    EXPECT_TRUE(progress.record().features()[0].reversed.empty());
    EXPECT_EQ(progress.record().features()[0].uncertain, (std::vector<std::int32_t>{2, 3, 27}));
    EXPECT_TRUE(states.messages.empty());
    EXPECT_EQ(list.count(), 1);
}

TEST_F(WriteCommand, HostUnreachableOrWithoutPartProgramChangesNothing) {
    load({feature(u"A")});
    readAndMark({0});
    model.setActive(std::nullopt);
    Error e = failure([&] { write(); });
    EXPECT_EQ(e.number(), errnum::kNoActivePartProgram);
    EXPECT_TRUE(changed(written()).empty());
    EXPECT_EQ(list.count(), 1);
    EXPECT_TRUE(list.isMarked(0));
    EXPECT_TRUE(states.isEnabled(Button::schreiben));
    EXPECT_EQ(recorder.liveObjects(), 0);
}

}  // namespace
}  // namespace dravosk
