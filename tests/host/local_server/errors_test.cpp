// Failures reported by the platform or by the host across processes: each arrives as an Error
// with its number, a German description and the step, and a failed Write says what it changed.
#include <string>
#include <vector>

#include "sim/automation.h"
#include "tests/host/local_server/com_fixture.h"
#include "tests/support/written.h"

namespace dravosk::host::test {
namespace {

using dravosk::test::changed;

const PartProgram kThreeFeatures{
    u"Prüfteil",
    {feature(u"P1", {1, 2, 3}, {4, 5, 6}, {7, 8, 9}), nonFeature(false, {}),
     feature(u"P2", {0, -1, 0.5}, {-0.0, 2, 2}, {3, 3, -3}),
     feature(u"P3", {9, 9, 9}, {8, 8, 8}, {7, 7, 7})}};

// The list after a Read of kThreeFeatures with every entry marked.
const std::vector<std::u16string> kListed = {u"P1", u"P2", u"P3"};

class ComErrorsTest : public ComCommandsTest {
  protected:
    void readAndMarkAll() {
        read();
        markAll(list_);
        states_.enableLog.clear();
    }

    // A failed Write leaves the list, its marks and the button as they were, and shows nothing.
    void expectWriteLeftTheWindowAlone() {
        EXPECT_EQ(entries(), kListed);
        for (Int16 i = 0; i < list_.count(); ++i) {
            EXPECT_TRUE(list_.isMarked(i)) << i;
        }
        EXPECT_TRUE(states_.messages.empty());
        EXPECT_TRUE(states_.enableLog.empty());
        EXPECT_TRUE(states_.isEnabled(Button::schreiben));
    }

    // Each command of kThreeFeatures in the host: reversed in the data sets given, else as it was.
    void expectHostVectors(const std::vector<std::array<bool, 3>>& reversed) {
        const PartProgram now = hostProgram();
        ASSERT_EQ(now.commands.size(), kThreeFeatures.commands.size());
        std::size_t f = 0;
        for (std::size_t i = 0; i < now.commands.size(); ++i) {
            if (i == 1) {
                continue;
            }
            for (std::size_t set = 0; set < 3; ++set) {
                const Vector& was = kThreeFeatures.commands[i].vectors[set];
                expectSameBits(now.commands[i].vectors[set], reversed[f][set] ? negated(was) : was,
                               "command " + std::to_string(i + 1) + ", data set " +
                                   std::to_string(sim::kDataSetCodes[set]));
            }
            ++f;
        }
    }
};

TEST_F(ComErrorsTest, UnknownProgramIdentifierIsReportedInGerman) {
    const Error e = failure([&] { service_.createObject(u"KORVAN.Anwendung"); });
    EXPECT_EQ(static_cast<std::uint32_t>(e.number()), 0x800401F3u);
    EXPECT_EQ(e.number(), sim::kBadProgId);
    // Wine's system has no text for this number, so the tool's own one is shown.
    EXPECT_NE(e.description().find(u"Programmkennung ist nicht registriert"), std::u16string::npos)
        << e.what();
    EXPECT_EQ(e.where(), u"CreateObject(\"KORVAN.Anwendung\")");
}

TEST_F(ComErrorsTest, MissingMemberEndsTheCommandWithUnknownName) {
    start(kThreeFeatures);
    readAndMarkAll();
    server_->lines("missing PutVector");
    const Error put = failure([&] { write(); });
    EXPECT_EQ(put.number(), sim::kUnknownName);
    EXPECT_NE(put.description().find(u"Unbekannter Name"), std::u16string::npos) << put.what();
    EXPECT_EQ(put.where(), u"Befehl 1: Merkmal \"P1\", Datensatz 2: PutVector");
    EXPECT_TRUE(changed(written()).empty());
    expectWriteLeftTheWindowAlone();
    expectHostVectors({{false, false, false}, {false, false, false}, {false, false, false}});
    expectNoLiveObjects();

    server_->lines("missing FeatureCommand");
    const Error property = failure([&] { read(); });
    EXPECT_EQ(property.number(), sim::kUnknownName);
    EXPECT_EQ(property.where(), u"Befehl 1: FeatureCommand");
    expectNoLiveObjects();
}

TEST_F(ComErrorsTest, HostExceptionArrivesWithItsNumberAndDescription) {
    start(kThreeFeatures);
    readAndMarkAll();
    server_->lines("fail GetVector 2 0x80041234 Vektor nicht verfügbar: Merkmal gesperrt");
    const Error e = failure([&] { write(); });
    EXPECT_EQ(static_cast<std::uint32_t>(e.number()), 0x80041234u);
    EXPECT_EQ(e.description(), u"Vektor nicht verfügbar: Merkmal gesperrt");
    EXPECT_EQ(e.where(), u"Befehl 1: Merkmal \"P1\", Datensatz 3: GetVector");
    // Data set 2 of P1 had been written before.
    EXPECT_EQ(changed(written()), std::vector<std::u16string>{u"P1"});
    expectWriteLeftTheWindowAlone();
    expectHostVectors({{true, false, false}, {false, false, false}, {false, false, false}});
    expectNoLiveObjects();

    // In Read as well, at the property of the third command.
    server_->lines("fail IsFeature 3 0x80041235 Befehl 3 ist gesperrt.");
    const Error inRead = failure([&] { read(); });
    EXPECT_EQ(static_cast<std::uint32_t>(inRead.number()), 0x80041235u);
    EXPECT_EQ(inRead.description(), u"Befehl 3 ist gesperrt.");
    EXPECT_EQ(inRead.where(), u"Befehl 3: IsFeature");
    expectNoLiveObjects();
}

TEST_F(ComErrorsTest, FailureMidWriteKeepsWhatWasWrittenAndNamesIt) {
    start(kThreeFeatures);
    readAndMarkAll();
    // P1 takes three PutVector calls; the fifth is P2's second.
    server_->lines("fail PutVector 5 0x80040010 Schreiben abgelehnt");
    const Error e = failure([&] { write(); });
    EXPECT_EQ(static_cast<std::uint32_t>(e.number()), 0x80040010u);
    EXPECT_EQ(e.description(), u"Schreiben abgelehnt");
    EXPECT_EQ(e.where(), u"Befehl 3: Merkmal \"P2\", Datensatz 3: PutVector");
    EXPECT_EQ(changed(written()), (std::vector<std::u16string>{u"P1", u"P2"}));
    expectWriteLeftTheWindowAlone();
    expectHostVectors({{true, true, true}, {true, false, false}, {false, false, false}});
    expectNoLiveObjects();

    // A host that writes and then raises its exception: asked afterwards, it says the vector
    // is reversed, and so does the error.
    server_->lines("fail-after PutVector 2 0x80040010 Schreiben abgelehnt");
    const Error late = failure([&] { write(); });
    EXPECT_EQ(static_cast<std::uint32_t>(late.number()), 0x80040010u);
    EXPECT_EQ(late.where(), u"Befehl 1: Merkmal \"P1\", Datensatz 3: PutVector");
    ASSERT_FALSE(written().features().empty());
    EXPECT_EQ(written().features()[0].reversed, (std::vector<std::int32_t>{2, 3}));
    EXPECT_TRUE(written().features()[0].uncertain.empty());
    expectHostVectors({{false, false, true}, {true, false, false}, {false, false, false}});
    expectNoLiveObjects();
}

TEST_F(ComErrorsTest, VectorNotFilledAcrossProcessesIsCaughtAndNotWritten) {
    start(kThreeFeatures);
    readAndMarkAll();
    // The server answers the second GetVector with success but leaves the values alone; the
    // values the tool passed travel there and back unchanged and must be recognised.
    server_->lines("unfilled 2");
    server_->lines("clear-calls");
    const Error e = failure([&] { write(); });
    EXPECT_EQ(e.number(), errnum::kVectorNotFilled);
    EXPECT_EQ(e.where(), u"Befehl 1: Merkmal \"P1\", Datensatz 3: GetVector");
    EXPECT_NE(e.description().find(u"nicht geliefert"), std::u16string::npos) << e.what();
    EXPECT_EQ(changed(written()), std::vector<std::u16string>{u"P1"});
    EXPECT_EQ(count("call PutVector(1, 3,"), 0);
    expectWriteLeftTheWindowAlone();
    expectHostVectors({{true, false, false}, {false, false, false}, {false, false, false}});
    expectNoLiveObjects();
}

TEST_F(ComErrorsTest, NoActivePartProgramLeavesTheListAsItWas) {
    start(kThreeFeatures);
    readAndMarkAll();
    server_->lines("no-program");

    const Error inRead = failure([&] { read(); });
    EXPECT_EQ(inRead.number(), errnum::kNoActivePartProgram);
    EXPECT_NE(inRead.description().find(u"kein Teileprogramm geöffnet"), std::u16string::npos)
        << inRead.what();
    EXPECT_EQ(inRead.where(), u"ActivePartProgram");
    expectWriteLeftTheWindowAlone();  // Read left everything too
    expectNoLiveObjects();

    const Error inWrite = failure([&] { write(); });
    EXPECT_EQ(inWrite.number(), errnum::kNoActivePartProgram);
    EXPECT_TRUE(changed(written()).empty());
    expectWriteLeftTheWindowAlone();
    expectNoLiveObjects();
}

}  // namespace
}  // namespace dravosk::host::test
