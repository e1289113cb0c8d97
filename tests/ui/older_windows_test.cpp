// Form1 on the releases before Windows 10 1607: the functions they lack are pretended away, and
// the window must come up as it does with them, at the system DPI. Built twice: for the window
// tests' system at 96 DPI and for a system at 144 DPI (DRAVOSK_TEST_SYSTEM_DPI).
#include <gtest/gtest.h>

#include <string>

#include "sim/memory_host.h"
#include "sim/model.h"
#include "tests/ui/layout_checks.h"
#include "tests/ui/test_windows.h"
#include "tests/ui/windows_release.h"
#include "ui/layout.h"
#include "ui/main_window.h"
#include "win/handles.h"
#include "win/system_functions.h"

namespace dravosk::ui {
namespace {

using win::WindowsRelease;

constexpr UINT kSystemDpi = DRAVOSK_TEST_SYSTEM_DPI;
// A monitor of another DPI, for a move between monitors.
constexpr UINT kOtherDpi = kSystemDpi == 96 ? 144 : 96;

int iconWidth(HICON icon) {
    ICONINFO info{};
    if (!GetIconInfo(icon, &info)) {
        return 0;
    }
    // The icon's bitmaps are copies that belong to the caller.
    const win::unique_hbitmap colour(info.hbmColor);
    const win::unique_hbitmap mask(info.hbmMask);
    BITMAP bitmap{};
    GetObjectW(colour ? colour.get() : mask.get(), sizeof bitmap, &bitmap);
    return bitmap.bmWidth;
}

// The system itself must be at the DPI these tests are built for, or they would prove nothing.
TEST(SystemDpi, IsTheOneTheseTestsAreBuiltFor) {
    EXPECT_EQ(win::systemDpi(), kSystemDpi);
}

// On a system with every function, the fallbacks give what the newer functions give: exactly at
// the system DPI, the only one Windows 7 and 8 know. At another DPI (Windows 8.1, a monitor of
// another scale) they are scaled from the system DPI's rounded sizes, where the newer functions
// scale the sizes the user chose at 96 DPI: a font can come out one pixel apart.
TEST(OlderWindowsFunctions, ScaleMetricsAsTheNewerFunctionsDo) {
    for (const UINT dpi : {UINT{96}, UINT{120}, UINT{144}, UINT{192}}) {
        SCOPED_TRACE(dpi);
        NONCLIENTMETRICSW newer;
        ASSERT_TRUE(win::nonClientMetrics(newer, dpi));
        const int bigIcon = win::systemMetric(SM_CXICON, dpi);
        const int smallIcon = win::systemMetric(SM_CXSMICON, dpi);

        win::pretendWindowsRelease(WindowsRelease::windows7);
        NONCLIENTMETRICSW older;
        const bool given = win::nonClientMetrics(older, dpi);
        const int olderBigIcon = win::systemMetric(SM_CXICON, dpi);
        const int olderSmallIcon = win::systemMetric(SM_CXSMICON, dpi);
        win::pretendWindowsRelease(WindowsRelease::newest);

        ASSERT_TRUE(given);
        const LONG apart = dpi == kSystemDpi ? 0 : 1;
        EXPECT_NEAR(older.lfMessageFont.lfHeight, newer.lfMessageFont.lfHeight, apart);
        EXPECT_EQ(std::wstring(older.lfMessageFont.lfFaceName), newer.lfMessageFont.lfFaceName);
        EXPECT_NEAR(older.lfCaptionFont.lfHeight, newer.lfCaptionFont.lfHeight, apart);
        EXPECT_EQ(older.iCaptionHeight, newer.iCaptionHeight);
        EXPECT_EQ(olderBigIcon, bigIcon);
        EXPECT_EQ(olderSmallIcon, smallIcon);
    }
}

class OlderWindowsTest : public ::testing::TestWithParam<WindowsRelease> {
  protected:
    void SetUp() override {
        // What the newer functions give, taken before they are pretended away.
        font = test::messageFont(kSystemDpi);
        otherFont = test::messageFont(kOtherDpi);
        bigIcon = win::systemMetric(SM_CXICON, kSystemDpi);
        win::pretendWindowsRelease(GetParam());
        ASSERT_TRUE(window.create(SW_HIDE));
    }
    void TearDown() override {
        if (window.hwnd() != nullptr) {
            DestroyWindow(window.hwnd());
        }
        test::takeQuitMessage();
        win::pretendWindowsRelease(WindowsRelease::newest);
    }

    LOGFONTW font{};
    LOGFONTW otherFont{};
    int bigIcon = 0;
    sim::Model model;
    sim::MemoryHost host{model};
    MainWindow window{GetModuleHandleW(nullptr), host};
};

TEST_P(OlderWindowsTest, ComesUpWithTheDesignAtTheSystemDpi) {
    EXPECT_EQ(win::windowDpi(window.hwnd()), kSystemDpi);
    test::expectDesignLayout(window, kSystemDpi);
    test::expectControlFont(window, font);
    EXPECT_EQ(
        iconWidth(reinterpret_cast<HICON>(SendMessageW(window.hwnd(), WM_GETICON, ICON_BIG, 0))),
        bigIcon);
}

// Windows 8.1 scales per monitor without the functions for any DPI: a move to a monitor of
// another DPI is laid out from the system DPI's metrics.
TEST_P(OlderWindowsTest, AMoveToAMonitorOfAnotherDpiScalesTheLayoutAndTheFont) {
    RECT suggested{10, 20, 900, 700};
    SendMessageW(window.hwnd(), WM_DPICHANGED, MAKEWPARAM(kOtherDpi, kOtherDpi),
                 reinterpret_cast<LPARAM>(&suggested));
    test::expectDesignLayout(window, kOtherDpi);
    test::expectControlFont(window, otherFont);
}

INSTANTIATE_TEST_SUITE_P(Releases, OlderWindowsTest,
                         ::testing::Values(WindowsRelease::windows7, WindowsRelease::windows8_1,
                                           WindowsRelease::newest),
                         win::testName);

}  // namespace
}  // namespace dravosk::ui
