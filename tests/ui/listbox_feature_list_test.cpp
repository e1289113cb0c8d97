#include <gtest/gtest.h>

#include <string>

#include "core/error.h"
#include "tests/ui/test_windows.h"
#include "ui/form_controls.h"

namespace dravosk::ui {
namespace {

using test::HiddenWindow;

class ListBoxTest : public ::testing::Test {
  protected:
    std::wstring line(int index) const {
        const auto length = SendMessageW(box.get(), LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
        std::wstring text(static_cast<std::size_t>(length), L'\0');
        SendMessageW(box.get(), LB_GETTEXT, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(text.data()));
        return text;
    }
    LRESULT selected(int index) const {
        return SendMessageW(box.get(), LB_GETSEL, static_cast<WPARAM>(index), 0);
    }

    HiddenWindow box{L"LISTBOX", WS_POPUP | LBS_EXTENDEDSEL | LBS_NOINTEGRALHEIGHT};
    ListBoxFeatureList list{box.get()};
};

TEST_F(ListBoxTest, KeepsEveryTextExactlyAndShowsItLineByLine) {
    ASSERT_NE(box.get(), nullptr);
    const std::u16string texts[] = {
        u"P1",
        u" Ebene 2 ",                     // blanks are part of the identifier
        u"Prüfmerkmal Ø12 straße",        // umlauts, ß, Ø
        u"Окружность_7 κύκλος 圆",        // Cyrillic, Greek, CJK
        u"Kreis \U0001D6FC",              // a surrogate pair
        std::u16string(u"vor\0nach", 8),  // an embedded NUL
    };
    for (const auto& text : texts) {
        list.append(text);
    }
    ASSERT_EQ(list.count(), 6);
    for (Int16 i = 0; i < 6; ++i) {
        EXPECT_EQ(list.text(i), texts[i]) << i;
        EXPECT_FALSE(list.isMarked(i)) << i;
    }
    EXPECT_EQ(SendMessageW(box.get(), LB_GETCOUNT, 0, 0), 6);
    EXPECT_EQ(line(2), L"Prüfmerkmal Ø12 straße");
    EXPECT_EQ(line(3), L"Окружность_7 κύκλος 圆");
    // The line cannot hold the NUL, so it shows a sign for it; the text keeps it.
    EXPECT_EQ(line(5), L"vor\u2400nach");
    EXPECT_EQ(list.text(5).size(), 8u);
}

TEST_F(ListBoxTest, TheSelectionIsTheMarks) {
    for (const char16_t* text : {u"A", u"B", u"C", u"D"}) {
        list.append(text);
    }
    list.setMarked(1, true);
    list.setMarked(3, true);
    EXPECT_GT(selected(1), 0);
    EXPECT_GT(selected(3), 0);
    EXPECT_EQ(selected(0), 0);

    // What the user selects in the list box is what the commands see.
    SendMessageW(box.get(), LB_SETSEL, TRUE, 2);
    SendMessageW(box.get(), LB_SETSEL, FALSE, 3);
    EXPECT_FALSE(list.isMarked(0));
    EXPECT_TRUE(list.isMarked(1));
    EXPECT_TRUE(list.isMarked(2));
    EXPECT_FALSE(list.isMarked(3));

    markAll(list);
    EXPECT_EQ(SendMessageW(box.get(), LB_GETSELCOUNT, 0, 0), 4);
    unmarkAll(list);
    EXPECT_EQ(SendMessageW(box.get(), LB_GETSELCOUNT, 0, 0), 0);
}

// Marking every line of a long list leaves it where the user had scrolled it, and the texts kept
// beside the lines survive the list's growth.
TEST_F(ListBoxTest, MarkingAllKeepsTheScrollPositionOfALongList) {
    for (int i = 0; i < 300; ++i) {
        const std::string digits = std::to_string(i);
        list.append(u"M" + std::u16string(digits.begin(), digits.end()));
    }
    SendMessageW(box.get(), LB_SETTOPINDEX, 40, 0);
    const LRESULT top = SendMessageW(box.get(), LB_GETTOPINDEX, 0, 0);
    ASSERT_GT(top, 0);
    markAll(list);
    EXPECT_EQ(SendMessageW(box.get(), LB_GETSELCOUNT, 0, 0), 300);
    EXPECT_EQ(SendMessageW(box.get(), LB_GETTOPINDEX, 0, 0), top);
    unmarkAll(list);
    EXPECT_EQ(SendMessageW(box.get(), LB_GETTOPINDEX, 0, 0), top);
    EXPECT_EQ(list.text(0), u"M0");
    EXPECT_EQ(list.text(299), u"M299");
}

TEST_F(ListBoxTest, ClearEmptiesTheLinesAndTheTexts) {
    list.append(u"A");
    list.append(u"B");
    list.setMarked(0, true);
    list.clear();
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(SendMessageW(box.get(), LB_GETCOUNT, 0, 0), 0);
    list.append(u"C");
    EXPECT_EQ(list.text(0), u"C");
    EXPECT_FALSE(list.isMarked(0));
}

TEST_F(ListBoxTest, AnIndexOutsideTheListIsAnErrorAndChangesNothing) {
    list.append(u"A");
    list.append(u"B");
    for (Int16 bad : {Int16{-1}, Int16{2}, Int16{-32768}}) {
        try {
            // -1 would select every line if it reached the list box.
            list.setMarked(bad, true);
            ADD_FAILURE() << "no error for " << bad;
        } catch (const Error& e) {
            EXPECT_EQ(e.number(), errnum::kBadIndex);
        }
        EXPECT_THROW(list.text(bad), Error);
        EXPECT_THROW(list.isMarked(bad), Error);
    }
    EXPECT_EQ(SendMessageW(box.get(), LB_GETSELCOUNT, 0, 0), 0);
}

TEST(WindowControlStates, EnabledFlagsAndCheckStatesAreTheControls) {
    HiddenWindow owner(L"STATIC", WS_POPUP);
    HiddenWindow b0(L"BUTTON", WS_CHILD | BS_PUSHBUTTON, owner.get());
    HiddenWindow b1(L"BUTTON", WS_CHILD | BS_PUSHBUTTON | WS_DISABLED, owner.get());
    HiddenWindow b2(L"BUTTON", WS_CHILD | BS_PUSHBUTTON, owner.get());
    HiddenWindow b3(L"BUTTON", WS_CHILD | BS_PUSHBUTTON, owner.get());
    HiddenWindow c1(L"BUTTON", WS_CHILD | BS_AUTO3STATE, owner.get());
    HiddenWindow c2(L"BUTTON", WS_CHILD | BS_AUTO3STATE, owner.get());
    HiddenWindow c3(L"BUTTON", WS_CHILD | BS_AUTO3STATE, owner.get());
    ControlWindows controls{};
    const auto place = [&](Slot slot, const HiddenWindow& window) {
        controls[static_cast<std::size_t>(slot)] = window.get();
    };
    place(Slot::cmd_lesen, b0);
    place(Slot::cmd_schreiben, b1);
    place(Slot::cmd_allemarkieren, b2);
    place(Slot::cmd_alledemarkieren, b3);
    place(Slot::Check1, c1);
    place(Slot::Check2, c2);
    place(Slot::Check3, c3);
    WindowControlStates states(owner.get(), controls);

    states.setEnabled(Button::schreiben, true);
    states.setEnabled(Button::alledemarkieren, false);
    EXPECT_TRUE(IsWindowEnabled(b1.get()));
    EXPECT_FALSE(IsWindowEnabled(b3.get()));
    EXPECT_TRUE(IsWindowEnabled(b0.get()));

    SendMessageW(c1.get(), BM_SETCHECK, BST_CHECKED, 0);
    SendMessageW(c2.get(), BM_SETCHECK, BST_UNCHECKED, 0);
    SendMessageW(c3.get(), BM_SETCHECK, BST_INDETERMINATE, 0);
    EXPECT_EQ(states.checkState(CheckBox::check1), 1);
    EXPECT_EQ(states.checkState(CheckBox::check2), 0);
    EXPECT_EQ(states.checkState(CheckBox::check3), 0);  // only checked counts
}

TEST(WindowControlStates, ShowsTheMessageInAPlainBoxCaptionedWithTheTitle) {
    HiddenWindow owner(L"STATIC", WS_POPUP);
    WindowControlStates states(owner.get(), {});
    const auto box = test::confirmingMessageBoxes(
        [&] { states.showMessage(u"Alle selektierten Merkmale umgekehrt"); });
    EXPECT_TRUE(box.seen);
    EXPECT_EQ(box.caption, L"Dravosk");
    EXPECT_EQ(box.text, L"Alle selektierten Merkmale umgekehrt");
}

}  // namespace
}  // namespace dravosk::ui
