#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/error.h"
#include "ui/error_report.h"

namespace dravosk::ui {
namespace {

bool contains(const std::wstring& text, const std::wstring& part) {
    return text.find(part) != std::wstring::npos;
}

TEST(ErrorReport, GivesTheNumberInHexAndDecimalWithDescriptionAndStep) {
    const Error error(static_cast<std::int32_t>(0x80020009u), u"Vektor nicht lesbar",
                      u"Merkmal \"P1\", Datensatz 3: GetVector");
    const std::wstring text = errorReportText(error);
    EXPECT_TRUE(contains(text, L"Fehler 0x80020009 (-2147352567)")) << text;
    EXPECT_TRUE(contains(text, L"\nVektor nicht lesbar\n")) << text;
    EXPECT_TRUE(contains(text, L"Schritt: Merkmal \"P1\", Datensatz 3: GetVector")) << text;
    EXPECT_FALSE(contains(text, L"umgekehrt und bleiben")) << text;

    EXPECT_TRUE(contains(errorReportText(Error(0, u"x")), L"Fehler 0x00000000 (0)"));
    EXPECT_TRUE(
        contains(errorReportText(Error(0x7FFFFFFF, u"x")), L"Fehler 0x7FFFFFFF (2147483647)"));
    EXPECT_TRUE(
        contains(errorReportText(Error(INT32_MIN, u"x")), L"Fehler 0x80000000 (-2147483648)"));
}

TEST(ErrorReport, LeavesOutWhatIsUnknownButNeverShowsAnEmptyDescription) {
    const std::wstring text = errorReportText(Error(5, u""));
    EXPECT_FALSE(contains(text, L"Schritt:")) << text;
    EXPECT_TRUE(contains(text, L"Keine Beschreibung vorhanden.")) << text;
}

TEST(ErrorReport, HostTextWithANulIsShownWhole) {
    // A message box stops at the first NUL; what follows it must still reach the user.
    const std::u16string description(u"vorne\0hinten", 12);
    const std::wstring text = errorReportText(Error(1, description, u"ID"));
    EXPECT_TRUE(contains(text, L"vorne\u2400hinten")) << text;
    EXPECT_EQ(text.find(L'\0'), std::wstring::npos);
}

TEST(ErrorReport, NamesTheFeaturesThatStayReversed) {
    Error error(static_cast<std::int32_t>(0x800706BAu), u"RPC-Server nicht verfügbar.",
                u"PutVector");
    error.setChanged({u"P1", u" Ebene 2 ", u"Kreis_ü"});
    const std::wstring text = errorReportText(error);
    const auto heading = text.find(L"umgekehrt und bleiben so");
    ASSERT_NE(heading, std::wstring::npos) << text;
    const auto p1 = text.find(L"\"P1\"");
    const auto ebene = text.find(L"\" Ebene 2 \"");
    const auto kreis = text.find(L"\"Kreis_ü\"");
    EXPECT_LT(heading, p1);
    EXPECT_LT(p1, ebene);  // in host order
    EXPECT_LT(ebene, kreis);
    EXPECT_NE(kreis, std::wstring::npos);
}

TEST(ErrorReport, ALongListOfChangesIsCutAndCounted) {
    std::vector<std::u16string> changed;
    for (int i = 1; i <= 25; ++i) {
        const std::string name = "M" + std::to_string(i);
        changed.emplace_back(name.begin(), name.end());
    }
    Error error(1, u"abgebrochen", u"PutVector");
    error.setChanged(changed);
    const std::wstring text = errorReportText(error);
    EXPECT_TRUE(contains(text, L"\"M20\"")) << text;
    EXPECT_FALSE(contains(text, L"\"M21\"")) << text;
    EXPECT_TRUE(contains(text, L"… und 5 weitere")) << text;
}

}  // namespace
}  // namespace dravosk::ui
