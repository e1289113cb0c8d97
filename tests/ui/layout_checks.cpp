#include "tests/ui/layout_checks.h"

#include <gtest/gtest.h>

#include <string>

#include "win/system_functions.h"

namespace dravosk::ui::test {

void expectDesignLayout(const MainWindow& window, UINT dpi) {
    RECT client;
    GetClientRect(window.hwnd(), &client);
    EXPECT_EQ(client.right, clientSize(dpi).width);
    EXPECT_EQ(client.bottom, clientSize(dpi).height);
    for (std::size_t i = 0; i < kControls.size(); ++i) {
        RECT rect;
        GetWindowRect(window.control(static_cast<Slot>(i)), &rect);
        MapWindowPoints(nullptr, window.hwnd(), reinterpret_cast<POINT*>(&rect), 2);
        const PixelRect expected = toPixels(kControls[i].twips, dpi);
        EXPECT_EQ(rect.left, expected.left) << i;
        EXPECT_EQ(rect.top, expected.top) << i;
        EXPECT_EQ(rect.right - rect.left, expected.width) << i;
        EXPECT_EQ(rect.bottom - rect.top, expected.height) << i;
    }
}

void expectControlFont(const MainWindow& window, const LOGFONTW& expected) {
    const auto font =
        reinterpret_cast<HFONT>(SendMessageW(window.control(Slot::cmd_lesen), WM_GETFONT, 0, 0));
    LOGFONTW used{};
    ASSERT_NE(GetObjectW(font, sizeof used, &used), 0);
    EXPECT_EQ(used.lfHeight, expected.lfHeight);
    EXPECT_EQ(std::wstring(used.lfFaceName), expected.lfFaceName);
    for (const ControlDesign& design : kControls) {
        if (design.kind != ControlKind::picture) {  // a bitmap has no use for a font
            EXPECT_EQ(SendMessageW(GetDlgItem(window.hwnd(), design.id), WM_GETFONT, 0, 0),
                      reinterpret_cast<LRESULT>(font))
                << design.id;
        }
    }
}

LOGFONTW messageFont(UINT dpi) {
    NONCLIENTMETRICSW metrics;
    EXPECT_TRUE(win::nonClientMetrics(metrics, dpi));
    return metrics.lfMessageFont;
}

}  // namespace dravosk::ui::test
