#include <gtest/gtest.h>

#include <set>

#include "ui/layout.h"

namespace dravosk::ui {
namespace {

TEST(Layout, TwipsBecomePixelsAtTheWindowsDpi) {
    // 15 twips per pixel at 96 DPI, 12 at 120, 10 at 144.
    EXPECT_EQ(twipsToPixels(15, 96), 1);
    EXPECT_EQ(twipsToPixels(7860, 96), 524);
    EXPECT_EQ(twipsToPixels(5880, 96), 392);
    EXPECT_EQ(twipsToPixels(7860, 120), 655);
    EXPECT_EQ(twipsToPixels(5880, 120), 490);
    EXPECT_EQ(twipsToPixels(7860, 144), 786);
    EXPECT_EQ(twipsToPixels(5880, 144), 588);
    // Fractions round to the nearest pixel, halves up.
    EXPECT_EQ(twipsToPixels(2655, 120), 221);  // 221.25
    EXPECT_EQ(twipsToPixels(2655, 144), 266);  // 265.5
    EXPECT_EQ(twipsToPixels(255, 120), 21);    // 21.25
    EXPECT_EQ(twipsToPixels(255, 144), 26);    // 25.5
    EXPECT_EQ(twipsToPixels(0, 144), 0);
}

TEST(Layout, ClientAreaAndControlsScaleTogether) {
    const PixelSize at96 = clientSize(96);
    EXPECT_EQ(at96.width, 524);
    EXPECT_EQ(at96.height, 392);

    const PixelRect list = toPixels(design(Slot::List1).twips, 96);
    EXPECT_EQ(list.left, 296);
    EXPECT_EQ(list.top, 8);
    EXPECT_EQ(list.width, 217);
    EXPECT_EQ(list.height, 290);

    const PixelRect picture = toPixels(design(Slot::Image1).twips, 144);
    EXPECT_EQ(picture.left, 36);
    EXPECT_EQ(picture.top, 372);
    EXPECT_EQ(picture.width, 321);
    EXPECT_EQ(picture.height, 204);

    // Every control stays inside the client area at every scale.
    for (UINT dpi : {96u, 120u, 144u, 192u}) {
        const PixelSize client = clientSize(dpi);
        for (const ControlDesign& control : kControls) {
            const PixelRect rect = toPixels(control.twips, dpi);
            EXPECT_GE(rect.left, 0);
            EXPECT_GE(rect.top, 0);
            EXPECT_LE(rect.left + rect.width, client.width) << control.id << " at " << dpi;
            EXPECT_LE(rect.top + rect.height, client.height) << control.id << " at " << dpi;
        }
    }
}

TEST(Layout, ControlIdentifiersAreUniqueAndNotTheDialogKeys) {
    // The dialog manager turns Enter and Esc into IDOK and IDCANCEL; no control may answer them.
    std::set<int> ids;
    for (const ControlDesign& control : kControls) {
        EXPECT_NE(control.id, IDOK);
        EXPECT_NE(control.id, IDCANCEL);
        EXPECT_TRUE(ids.insert(control.id).second) << control.id;
    }
}

}  // namespace
}  // namespace dravosk::ui
