#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "core/error.h"
#include "core/command_progress.h"
#include "ui/reports.h"

namespace dravosk::ui {
namespace {

bool contains(const std::wstring& text, const std::wstring& part) {
    return text.find(part) != std::wstring::npos;
}

struct Written {
    std::u16string id;
    std::vector<std::int32_t> reversed;
    std::int32_t uncertain = 0;  // a data set, or 0 for none
};

WriteRecord record(const std::vector<Written>& features) {
    WriteRecord r;
    for (const Written& feature : features) {
        r.startFeature(feature.id);
        for (std::int32_t dataSet : feature.reversed) {
            r.putStarted(dataSet);
            r.putSucceeded();
        }
        if (feature.uncertain != 0) {
            r.putStarted(feature.uncertain);
            r.putFailed(CallOutcome::unknown);
        }
    }
    return r;
}

// Windows does not connect two programs started at different elevation: where that may be why no
// part program, no registration or no Korvane was found, the report says so; nowhere else.
TEST(ErrorReport, NamesAStartAtAnotherElevationWhereItMayBeTheCause) {
    const std::wstring hint = L"als Administrator gestartet (mit erhöhten Rechten)";
    const std::u16string create = u"CreateObject(\"KORVAN.Application\")";
    EXPECT_TRUE(contains(
        errorReportText(
            Error(errnum::kNoActivePartProgram, u"kein Teileprogramm", u"ActivePartProgram"), {}),
        hint));
    for (const std::uint32_t number : {0x800401F3u, 0x80040154u, 0x80080005u, 0x800706BAu}) {
        EXPECT_TRUE(
            contains(errorReportText(
                         Error(static_cast<std::int32_t>(number), u"nicht gefunden", create), {}),
                     hint))
            << number;
    }
    // No interface, no object, a call that failed later: not a question of elevation.
    EXPECT_FALSE(contains(
        errorReportText(
            Error(static_cast<std::int32_t>(0x80004003u), u"ohne Schnittstelle", create), {}),
        hint));
    EXPECT_FALSE(contains(
        errorReportText(Error(errnum::kNotAnObject, u"kein Anwendungsobjekt", create), {}), hint));
    EXPECT_FALSE(contains(
        errorReportText(
            Error(static_cast<std::int32_t>(0x800706BAu), u"getrennt", u"Befehl 1: IsFeature"), {}),
        hint));
}

TEST(ErrorReport, GivesTheNumberInHexAndDecimalWithDescriptionAndStep) {
    const Error error(static_cast<std::int32_t>(0x80020009u), u"Vektor nicht lesbar",
                      u"Merkmal \"P1\", Datensatz 3: GetVector");
    const std::wstring text = errorReportText(error, {});
    EXPECT_TRUE(contains(text, L"Fehler 0x80020009 (-2147352567)")) << text;
    EXPECT_TRUE(contains(text, L"\nVektor nicht lesbar\n")) << text;
    EXPECT_TRUE(contains(text, L"Schritt: Merkmal \"P1\", Datensatz 3: GetVector")) << text;
    EXPECT_FALSE(contains(text, L"umgekehrt und bleiben")) << text;

    EXPECT_TRUE(contains(errorReportText(Error(0, u"x"), {}), L"Fehler 0x00000000 (0)"));
    EXPECT_TRUE(
        contains(errorReportText(Error(0x7FFFFFFF, u"x"), {}), L"Fehler 0x7FFFFFFF (2147483647)"));
    EXPECT_TRUE(
        contains(errorReportText(Error(INT32_MIN, u"x"), {}), L"Fehler 0x80000000 (-2147483648)"));
}

TEST(ErrorReport, LeavesOutWhatIsUnknownButNeverShowsAnEmptyDescription) {
    const std::wstring text = errorReportText(Error(5, u""), {});
    EXPECT_FALSE(contains(text, L"Schritt:")) << text;
    EXPECT_TRUE(contains(text, L"Keine Beschreibung vorhanden.")) << text;
}

TEST(ErrorReport, HostTextWithANulIsShownWhole) {
    // A message box stops at the first NUL; what follows it must still reach the user.
    const std::u16string description(u"vorne\0hinten", 12);
    const std::wstring text = errorReportText(Error(1, description, u"ID"), {});
    EXPECT_TRUE(contains(text, L"vorne\u2400hinten")) << text;
    EXPECT_EQ(text.find(L'\0'), std::wstring::npos);
}

TEST(ErrorReport, NamesTheFeaturesThatStayReversed) {
    Error error(static_cast<std::int32_t>(0x800706BAu), u"RPC-Server nicht verfügbar.",
                u"PutVector");
    const WriteRecord written = record(
        {{u"P1", {2, 3}}, {u"nichts", {}}, {u" Ebene 2 ", {27}, 2}, {u"Kreis_ü", {2, 3, 27}}});
    const std::wstring text = errorReportText(error, written);
    const auto heading = text.find(L"umgekehrt und bleiben so");
    ASSERT_NE(heading, std::wstring::npos) << text;
    const auto p1 = text.find(L"\n    Merkmal \"P1\": Theo, IST umgekehrt\n");
    const auto ebene = text.find(L"\n    Merkmal \" Ebene 2 \": Ziel umgekehrt\n");
    const auto kreis = text.find(L"\n    Merkmal \"Kreis_ü\": Theo, IST, Ziel umgekehrt\n");
    const auto uncertain = text.find(
        L"\n    Merkmal \" Ebene 2 \", Datensatz 2: ungewiss, ob umgekehrt – bitte in Korvane "
        L"prüfen\n");
    EXPECT_LT(heading, p1) << text;
    EXPECT_LT(p1, ebene);  // in host order
    EXPECT_LT(ebene, kreis);
    EXPECT_NE(kreis, std::wstring::npos);
    EXPECT_LT(kreis, uncertain) << "the uncertain call named apart";
    EXPECT_NE(uncertain, std::wstring::npos);
    EXPECT_FALSE(contains(text, L"nichts")) << "a feature with nothing written is not named";
}

// The lines of a Write's record: the data sets that stay reversed by name, in the order written,
// and an uncertain one by its step.
TEST(ErrorReport, NamesReversedDataSetsAndAnUncertainOneByTheirLines) {
    const WriteRecord written = record({{u"A", {2, 27}}, {u"B", {2}, 27}});
    EXPECT_EQ(reversedLine(written.features()[0]), u"Merkmal \"A\": Theo, Ziel umgekehrt");
    EXPECT_EQ(uncertainLine(u"B", 27),
              u"Merkmal \"B\", Datensatz 27: ungewiss, ob umgekehrt – bitte in Korvane prüfen");
}

// The report must fit on the screen with its OK button, whatever the host sent.
TEST(ErrorReport, ALongListOfChangesIsCutAndCountedAndALongDescriptionIsCut) {
    std::vector<Written> changed;
    for (int i = 1; i <= 25; ++i) {
        const std::string name = "M" + std::to_string(i);
        changed.push_back({std::u16string(name.begin(), name.end()), {2}});
    }
    const std::u16string description = std::u16string(999, u'a') + u"\U0001F600" + u"Rest";
    Error error(1, description, u"PutVector");
    const WriteRecord written = record(changed);
    const std::wstring text = errorReportText(error, written);
    EXPECT_TRUE(contains(text, L"\"M20\"")) << text;
    EXPECT_FALSE(contains(text, L"\"M21\"")) << text;
    EXPECT_TRUE(contains(text, L"… und 5 weitere")) << text;
    // Cut before the pair that straddles the limit, not through it.
    EXPECT_TRUE(contains(text, L"\n" + std::wstring(999, L'a') + L"…\n")) << text.substr(0, 80);
    EXPECT_FALSE(contains(text, L"Rest"));
    EXPECT_TRUE(contains(errorReportText(Error(1, std::u16string(1000, u'b')), {}),
                         L"\n" + std::wstring(1000, L'b') + L"\n"))
        << "a description of exactly the limit stays whole";
}

// A PutVector sent and not answered is uncertain, for the last feature, as a recorded one is; the
// record passed in is the one reported.
TEST(ErrorReport, NamesAPutVectorStillInFlightAsUncertain) {
    WriteRecord live = record({{u"A", {2}}, {u"B", {2}}});
    live.putStarted(3);
    const Error error(static_cast<std::int32_t>(0x80010002u), u"abgebrochen", u"PutVector");
    const std::wstring text = errorReportText(error, live);
    EXPECT_TRUE(contains(text, L"\n    Merkmal \"B\", Datensatz 3: ungewiss, ob umgekehrt"))
        << text;
    EXPECT_FALSE(contains(text, L"\"A\", Datensatz 3")) << text;
    EXPECT_FALSE(contains(errorReportText(error, {}), L"ungewiss"))
        << "an empty record names nothing";

    wchar_t shortText[kShortReportSize];
    const std::size_t length = shortErrorReportText(error.number(), live, shortText);
    const std::wstring brief(shortText, length);
    EXPECT_TRUE(contains(brief, L"Fehler 0x80010002")) << brief;
    EXPECT_TRUE(contains(brief, L"Schon umgekehrte Merkmale: 2\n")) << brief;
    EXPECT_TRUE(contains(brief, L"ungewiss ist, ob umgekehrt wurde: 1 ")) << brief;
    EXPECT_TRUE(contains(brief, L"Dravosk wird beendet.")) << brief;
}

// An identifier is the host's text: it must not add lines of its own to the report, nor turn it
// around, nor make it too long for the screen.
TEST(ErrorReport, AnIdentifierCannotForgeLinesOrOverflowTheReport) {
    const std::u16string forged = u"P1\r\n    Merkmal \"X\": Theo, IST, Ziel umgekehrt";
    const std::u16string turned = u"B\u202E2\u2066\x85";
    const std::u16string huge(1 << 20, u'x');
    Error error(1, u"Fehler", u"Befehl 3: Merkmal \"" + huge + u"\", Datensatz 2: PutVector");
    const WriteRecord written = record({{forged, {2}}, {turned, {3}}, {huge, {2}, 3}});
    const std::wstring text = errorReportText(error, written);
    EXPECT_FALSE(contains(text, L"\n    Merkmal \"X\"")) << text;
    EXPECT_TRUE(contains(text,
                         L"\n    Merkmal \"P1\u240D\u240A    Merkmal \"X\": Theo, IST, Ziel "
                         L"umgekehrt\": Theo umgekehrt\n"))
        << text;
    EXPECT_TRUE(contains(text, L"\"B<U+202E>2<U+2066><U+0085>\": IST umgekehrt")) << text;
    for (const wchar_t control : {L'\r', L'\u202E', L'\u2066', L'\x85'}) {
        EXPECT_EQ(std::count(text.begin(), text.end(), control), 0) << int(control);
    }
    EXPECT_EQ(std::count(text.begin(), text.end(), L'\n'), 13) << "only the report's own lines";

    EXPECT_LT(text.size(), 2000u) << text.substr(0, 400);
    const std::wstring cut = L"\"" + std::wstring(kMaxIdentifier, L'x') + L"…\"";
    EXPECT_TRUE(contains(text, L"\n    Merkmal " + cut + L": Theo umgekehrt\n")) << text;
    EXPECT_TRUE(contains(text, L"\n    Merkmal " + cut + L", Datensatz 3: ungewiss")) << text;
    EXPECT_TRUE(contains(text, L"\nSchritt: Befehl 3: Merkmal \"xxx")) << text;
    EXPECT_TRUE(contains(text, L"x…x")) << text;
    EXPECT_TRUE(contains(text, L"xxx\", Datensatz 2: PutVector\n")) << "the failing member stays";
}

}  // namespace
}  // namespace dravosk::ui
