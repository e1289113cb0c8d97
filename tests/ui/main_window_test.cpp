#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "core/host.h"
#include "sim/faults.h"
#include "sim/memory_host.h"
#include "sim/model.h"
#include "sim/recorder.h"
#include "tests/support/part_program.h"
#include "tests/ui/layout_checks.h"
#include "tests/ui/test_windows.h"
#include "ui/button_caption.h"
#include "ui/layout.h"
#include "ui/main_window.h"
#include "win/handles.h"
#include "win/system_functions.h"
#include "win/text.h"

namespace dravosk::ui {
namespace {

using test::confirmingMessageBoxes;
using test::expectControlFont;
using test::expectDesignLayout;
using test::messageFont;
using test::takeQuitMessage;

using dravosk::test::feature;
using dravosk::test::nonFeature;
using win::windowText;

// The flag's bits as WM_QUERYENDSESSION carries them: ENDSESSION_LOGOFF is an unsigned 0x80000000,
// which a 32-bit LPARAM holds only as a negative number.
const auto kLogoff = static_cast<LPARAM>(ENDSESSION_LOGOFF);

bool contains(const std::wstring& text, const std::wstring& part) {
    return text.find(part) != std::wstring::npos;
}

class MainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        model.setActive(sim::PartProgram{
            u"Halter",
            {feature(u"P1", {1, 2, 3}, {4, 5, 6}, {7, 8, 9}), nonFeature(false, u"Ausrichtung"),
             feature(u"", {0, 0, 1}, {0, 0, 1}, {0, 0, 1}),
             feature(u"Kreis_ü", {0, 1, 0}, {1, 0, 0}, {0, 0, -1})}});
        ASSERT_TRUE(window.create(SW_HIDE));
    }
    void TearDown() override {
        if (window.hwnd() != nullptr) {
            DestroyWindow(window.hwnd());
        }
        takeQuitMessage();
    }

    HWND control(Slot slot) const { return window.control(slot); }
    // What a click on the button sends to the window.
    void click(Slot slot) {
        SendMessageW(window.hwnd(), WM_COMMAND, MAKEWPARAM(design(slot).id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(control(slot)));
    }
    bool enabled(Slot slot) const { return IsWindowEnabled(control(slot)) != FALSE; }
    LRESULT lines() const { return SendMessageW(control(Slot::List1), LB_GETCOUNT, 0, 0); }
    LRESULT selectedLines() const {
        return SendMessageW(control(Slot::List1), LB_GETSELCOUNT, 0, 0);
    }
    const sim::Vector& vector(std::size_t command, std::size_t set) {
        return model.active()->commands.at(command).vectors.at(set);
    }

    sim::Model model;
    sim::Recorder recorder{model};
    sim::Faults faults{model};
    sim::MemoryHost host{model, &recorder};
    MainWindow window{GetModuleHandleW(nullptr), host};
};

TEST_F(MainWindowTest, StartsInItsDesignState) {
    EXPECT_EQ(windowText(window.hwnd()), L"Dravosk für Korvane");
    EXPECT_EQ(GetMenu(window.hwnd()), nullptr);

    expectDesignLayout(window, win::windowDpi(window.hwnd()));

    // Created in tab order, each with its caption.
    HWND child = GetWindow(window.hwnd(), GW_CHILD);
    for (std::size_t i = 0; i < kControls.size(); ++i) {
        ASSERT_NE(child, nullptr) << i;
        EXPECT_EQ(child, control(static_cast<Slot>(i))) << i;
        EXPECT_EQ(GetDlgCtrlID(child), kControls[i].id);
        if (kControls[i].caption != nullptr) {
            EXPECT_EQ(windowText(child), kControls[i].caption);
        }
        child = GetWindow(child, GW_HWNDNEXT);
    }
    EXPECT_EQ(child, nullptr);

    EXPECT_TRUE(enabled(Slot::cmd_lesen));
    EXPECT_FALSE(enabled(Slot::cmd_schreiben));
    EXPECT_FALSE(enabled(Slot::cmd_allemarkieren));
    EXPECT_FALSE(enabled(Slot::cmd_alledemarkieren));
    for (Slot box : {Slot::Check1, Slot::Check2, Slot::Check3}) {
        EXPECT_EQ(SendMessageW(control(box), BM_GETCHECK, 0, 0), BST_CHECKED);
    }
    EXPECT_EQ(lines(), 0);

    // The icon for the title bar, and the picture, which is stretched to its frame.
    EXPECT_NE(SendMessageW(window.hwnd(), WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_NE(SendMessageW(window.hwnd(), WM_GETICON, ICON_SMALL, 0), 0);
    const auto picture = reinterpret_cast<HBITMAP>(
        SendMessageW(control(Slot::Image1), STM_GETIMAGE, IMAGE_BITMAP, 0));
    BITMAP bitmap{};
    ASSERT_NE(GetObjectW(picture, sizeof bitmap, &bitmap), 0);
    EXPECT_EQ(bitmap.bmWidth, 262);
    EXPECT_EQ(bitmap.bmHeight, 144);
    EXPECT_EQ(bitmap.bmBitsPixel, 24);
    EXPECT_NE(GetWindowLongW(control(Slot::Image1), GWL_STYLE) & SS_REALSIZECONTROL, 0);

    // Nothing is asked of the host before a click.
    EXPECT_TRUE(recorder.calls().empty());
}

TEST_F(MainWindowTest, ReadMarkAndWriteThroughTheButtons) {
    click(Slot::cmd_lesen);
    ASSERT_EQ(lines(), 2);
    EXPECT_TRUE(enabled(Slot::cmd_schreiben));
    EXPECT_TRUE(enabled(Slot::cmd_allemarkieren));
    EXPECT_TRUE(enabled(Slot::cmd_alledemarkieren));

    click(Slot::cmd_allemarkieren);
    EXPECT_EQ(selectedLines(), 2);
    click(Slot::cmd_alledemarkieren);
    EXPECT_EQ(selectedLines(), 0);

    // The user selects the second line and unchecks "IST umkehren".
    SendMessageW(control(Slot::List1), LB_SETSEL, TRUE, 1);
    SendMessageW(control(Slot::Check2), BM_SETCHECK, BST_UNCHECKED, 0);
    const auto box = confirmingMessageBoxes([&] { click(Slot::cmd_schreiben); });
    EXPECT_TRUE(box.seen);
    EXPECT_EQ(box.caption, L"Dravosk");
    EXPECT_EQ(box.text, L"Alle selektierten Merkmale umgekehrt");

    EXPECT_EQ(vector(3, 0), (sim::Vector{-0.0, -1, -0.0}));
    EXPECT_EQ(vector(3, 1), (sim::Vector{1, 0, 0}));  // IST left as it was
    EXPECT_EQ(vector(3, 2), (sim::Vector{-0.0, -0.0, 1}));
    EXPECT_EQ(vector(0, 0), (sim::Vector{1, 2, 3}));  // not marked
    EXPECT_EQ(lines(), 0);
    EXPECT_FALSE(enabled(Slot::cmd_schreiben));
    EXPECT_TRUE(enabled(Slot::cmd_lesen));
    EXPECT_TRUE(enabled(Slot::cmd_allemarkieren));
    EXPECT_NE(window.hwnd(), nullptr);
}

// Every push button's caption fits its face whole, in the button's own font: the window lays the
// caption out itself because the platform's margins left the marking buttons one line short.
TEST_F(MainWindowTest, EveryButtonCaptionFitsItsFaceWhole) {
    for (Slot slot : {Slot::cmd_lesen, Slot::cmd_schreiben, Slot::cmd_allemarkieren,
                      Slot::cmd_alledemarkieren}) {
        const HWND button = control(slot);
        RECT area;
        RECT lines;
        TEXTMETRICW metrics{};
        {
            const win::unique_window_dc dc(button);
            const win::select_object font(
                dc.get(), reinterpret_cast<HFONT>(SendMessageW(button, WM_GETFONT, 0, 0)));
            area = captionArea(button, dc.get());
            lines = captionLayout(dc.get(), design(slot).caption, area);
            GetTextMetricsW(dc.get(), &metrics);
        }

        RECT face;
        GetClientRect(button, &face);
        SCOPED_TRACE(static_cast<int>(slot));
        EXPECT_GE(area.left, face.left);
        EXPECT_LE(area.right, face.right);
        EXPECT_GE(lines.left, area.left);
        EXPECT_LE(lines.right, area.right);
        EXPECT_GE(lines.top, area.top);
        EXPECT_LE(lines.bottom, area.bottom);
        // More than one line: the captions are longer than their buttons are wide.
        EXPECT_GE(lines.bottom - lines.top, 2 * metrics.tmHeight);
    }
}

TEST_F(MainWindowTest, DisabledButtonsAndTheDialogKeysRunNothing) {
    click(Slot::cmd_schreiben);
    click(Slot::cmd_allemarkieren);
    // Enter and Esc reach the window as IDOK and IDCANCEL from the dialog manager.
    SendMessageW(window.hwnd(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    SendMessageW(window.hwnd(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    // A check box click is the user's toggle, nothing more.
    SendMessageW(control(Slot::Check1), BM_CLICK, 0, 0);
    EXPECT_EQ(SendMessageW(control(Slot::Check1), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_TRUE(recorder.calls().empty());
    EXPECT_NE(window.hwnd(), nullptr);
}

TEST_F(MainWindowTest, AFailedCommandIsReportedAndEndsTheProgram) {
    model.setActive(std::nullopt);
    const auto box = confirmingMessageBoxes([&] { click(Slot::cmd_lesen); });
    ASSERT_TRUE(box.seen);
    EXPECT_EQ(box.caption, L"Dravosk");
    EXPECT_TRUE(contains(box.text, L"Fehler 0xA0040003 (-1610350589)")) << box.text;
    EXPECT_TRUE(contains(box.text, L"Schritt: ActivePartProgram")) << box.text;
    EXPECT_EQ(window.hwnd(), nullptr);
    EXPECT_EQ(takeQuitMessage(), 1);
}

TEST_F(MainWindowTest, AFailedWriteNamesWhatItAlreadyReversed) {
    click(Slot::cmd_lesen);
    click(Slot::cmd_allemarkieren);
    // P1's three vectors go through, Kreis_ü's first one fails.
    faults.failAt(u"PutVector", 4, static_cast<std::int32_t>(0x80020009u), u"Vektor gesperrt");
    const auto box = confirmingMessageBoxes([&] { click(Slot::cmd_schreiben); });
    ASSERT_TRUE(box.seen);
    EXPECT_TRUE(contains(box.text, L"Fehler 0x80020009 (-2147352567)")) << box.text;
    EXPECT_TRUE(contains(box.text, L"Vektor gesperrt")) << box.text;
    EXPECT_TRUE(contains(box.text, L"    Merkmal \"P1\": Theo, IST, Ziel umgekehrt\n")) << box.text;
    EXPECT_FALSE(contains(box.text, L"    Merkmal \"Kreis_ü\"")) << box.text;
    EXPECT_EQ(vector(0, 2), (sim::Vector{-7, -8, -9}));  // stays written
    EXPECT_EQ(takeQuitMessage(), 1);
}

// Until the report is confirmed and the program ends, nothing gets past it: neither a click
// sent to a button as a message (as accessibility tools send it) nor a close.
TEST_F(MainWindowTest, TheReportKeepsEveryCommandAndTheCloseOut) {
    model.setActive(std::nullopt);
    int boxes = 0;
    std::size_t callsWhileOpen = 0;
    const auto box = confirmingMessageBoxes([&] { click(Slot::cmd_lesen); },
                                            [&] {
                                                if (++boxes > 1) {
                                                    return;  // a second report: already failed
                                                }
                                                const std::size_t before = recorder.calls().size();
                                                click(Slot::cmd_lesen);
                                                callsWhileOpen = recorder.calls().size() - before;
                                                SendMessageW(window.hwnd(), WM_CLOSE, 0, 0);
                                                EXPECT_NE(window.hwnd(), nullptr);
                                            });
    EXPECT_EQ(boxes, 1);
    EXPECT_EQ(callsWhileOpen, 0u);
    EXPECT_TRUE(contains(box.text, L"Schritt: ActivePartProgram")) << box.text;
    EXPECT_EQ(window.hwnd(), nullptr);
    EXPECT_EQ(takeQuitMessage(), 1);
}

// Logging off or shutting down is refused while a command runs, and allowed again after it.
// (Wine 8 has no ShutdownBlockReasonQuery, so the reason given cannot be read back here.)
TEST_F(MainWindowTest, LoggingOffIsRefusedWhileACommandRuns) {
    click(Slot::cmd_lesen);
    click(Slot::cmd_allemarkieren);
    LRESULT answer = -1;
    confirmingMessageBoxes(
        [&] { click(Slot::cmd_schreiben); },
        [&] { answer = SendMessageW(window.hwnd(), WM_QUERYENDSESSION, 0, kLogoff); });
    EXPECT_EQ(answer, FALSE);
    EXPECT_EQ(SendMessageW(window.hwnd(), WM_QUERYENDSESSION, 0, kLogoff), TRUE);
}

// A report still open is as much in the way of logging off: the session would end unread.
TEST_F(MainWindowTest, LoggingOffIsRefusedWhileAReportIsOpen) {
    model.setActive(std::nullopt);
    LRESULT answer = -1;
    const auto box = confirmingMessageBoxes(
        [&] { click(Slot::cmd_lesen); },
        [&] { answer = SendMessageW(window.hwnd(), WM_QUERYENDSESSION, 0, kLogoff); });
    EXPECT_TRUE(contains(box.text, L"Schritt: ActivePartProgram")) << box.text;
    EXPECT_EQ(answer, FALSE);
    EXPECT_EQ(takeQuitMessage(), 1);
}

TEST_F(MainWindowTest, ACloseWhileWritesMessageIsOpenWaitsForTheCommandToFinish) {
    click(Slot::cmd_lesen);
    click(Slot::cmd_allemarkieren);
    int boxes = 0;
    const auto box = confirmingMessageBoxes([&] { click(Slot::cmd_schreiben); },
                                            [&] {
                                                ++boxes;
                                                SendMessageW(window.hwnd(), WM_CLOSE, 0, 0);
                                                EXPECT_NE(window.hwnd(), nullptr);
                                            });
    EXPECT_EQ(boxes, 1);
    EXPECT_EQ(box.text, L"Alle selektierten Merkmale umgekehrt");
    // Write completed, then the window closed as asked, without an error.
    EXPECT_EQ(vector(3, 0), (sim::Vector{-0.0, -1, -0.0}));
    EXPECT_EQ(window.hwnd(), nullptr);
    EXPECT_EQ(takeQuitMessage(), 0);
}

TEST_F(MainWindowTest, ANewDpiRecomputesTheLayoutAndTheFont) {
    const auto fontBefore = SendMessageW(control(Slot::cmd_lesen), WM_GETFONT, 0, 0);
    RECT suggested{10, 20, 900, 700};
    SendMessageW(window.hwnd(), WM_DPICHANGED, MAKEWPARAM(144, 144),
                 reinterpret_cast<LPARAM>(&suggested));

    RECT client;
    GetClientRect(window.hwnd(), &client);
    EXPECT_EQ(client.right, 786);
    EXPECT_EQ(client.bottom, 588);
    RECT rect;
    GetWindowRect(control(Slot::cmd_schreiben), &rect);
    MapWindowPoints(nullptr, window.hwnd(), reinterpret_cast<POINT*>(&rect), 2);
    EXPECT_EQ(rect.left, 48);
    EXPECT_EQ(rect.top, 108);
    EXPECT_EQ(rect.right - rect.left, 266);
    EXPECT_EQ(rect.bottom - rect.top, 86);

    // The message font for 144 DPI, on every control.
    EXPECT_NE(SendMessageW(control(Slot::cmd_lesen), WM_GETFONT, 0, 0), fontBefore);
    expectControlFont(window, messageFont(144));
}

// A click another program sends (rather than posts) would run the command inside that
// program's SendMessage, where COM refuses every outgoing call: it runs from a message of its own.
TEST_F(MainWindowTest, AClickSentFromAnotherThreadRunsOutsideThatSend) {
    struct SendWatch final : CallObserver {
        int calls = 0;
        bool insideSend = false;
        void callStarted(std::u16string_view) noexcept override {
            ++calls;
            insideSend = insideSend || InSendMessage() != FALSE;
        }
        void callEnded() noexcept override {}
    } watch;
    host.setObserver(&watch);
    std::thread sender([this] {
        SendMessageW(window.hwnd(), WM_COMMAND, MAKEWPARAM(design(Slot::cmd_lesen).id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(control(Slot::cmd_lesen)));
    });
    // This thread answers the send, then runs what the window posted itself.
    for (int i = 0; i < 300 && lines() != 2; ++i) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    sender.join();
    host.setObserver(nullptr);
    EXPECT_EQ(lines(), 2);
    EXPECT_GT(watch.calls, 0);
    EXPECT_FALSE(watch.insideSend);
}

// Handles the messages other threads send to this one until `done` holds, and leaves posted
// ones queued: what the wait for a COM call does.
void handleSentMessagesUntil(const std::atomic<bool>& done) {
    while (!done.load()) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_SENDMESSAGE);
        MSG message;
        PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

// Runs `atCall` at the first call to the host of the command that runs next.
struct AtFirstCall final : CallObserver {
    explicit AtFirstCall(std::function<void()> action) : atCall(std::move(action)) {}
    void callStarted(std::u16string_view) noexcept override {
        if (calls++ == 0) {
            atCall();
        }
    }
    void callEnded() noexcept override {}
    std::function<void()> atCall;
    int calls = 0;
};

// A click another program sends or posts to a button while a command waits for the host is
// dropped, as input is: run afterwards, a second Read would throw away the list just read.
TEST_F(MainWindowTest, AClickArrivingWhileACommandRunsIsDropped) {
    const HWND lesen = control(Slot::cmd_lesen);
    AtFirstCall clicker([lesen] {
        PostMessageW(lesen, BM_CLICK, 0, 0);
        std::atomic<bool> sent{false};
        std::thread sender([&] {
            SendMessageW(lesen, BM_CLICK, 0, 0);
            sent = true;
        });
        handleSentMessagesUntil(sent);
        sender.join();
    });
    host.setObserver(&clicker);
    click(Slot::cmd_lesen);
    // What the program's event loop would run next.
    EXPECT_EQ(takeQuitMessage(), -1);
    host.setObserver(nullptr);

    int reads = 0;
    for (const sim::Call& call : recorder.calls()) {
        reads += call.member == u"ActivePartProgram" ? 1 : 0;
    }
    EXPECT_EQ(reads, 1);
    EXPECT_EQ(lines(), 2);
}

// The close box clicked while a command runs is input like any other and waits in the queue;
// the close it asks for is carried out once the command has ended well.
TEST_F(MainWindowTest, TheCloseBoxClickedDuringACommandClosesAfterIt) {
    click(Slot::cmd_lesen);
    click(Slot::cmd_allemarkieren);
    const HWND form = window.hwnd();
    AtFirstCall closer([form] {
        PostMessageW(form, WM_NCLBUTTONDOWN, HTCLOSE, 0);
        PostMessageW(form, WM_NCLBUTTONUP, HTCLOSE, 0);
    });
    host.setObserver(&closer);
    const auto box = confirmingMessageBoxes([&] { click(Slot::cmd_schreiben); });
    host.setObserver(nullptr);
    EXPECT_EQ(box.text, L"Alle selektierten Merkmale umgekehrt");
    EXPECT_EQ(vector(3, 0), (sim::Vector{-0.0, -1, -0.0}));
    EXPECT_EQ(window.hwnd(), nullptr);
    EXPECT_EQ(takeQuitMessage(), 0);
}

TEST_F(MainWindowTest, ClosingEndsAtOnceWithoutTouchingTheHost) {
    click(Slot::cmd_lesen);
    recorder.clearCalls();
    SendMessageW(window.hwnd(), WM_CLOSE, 0, 0);
    EXPECT_EQ(window.hwnd(), nullptr);
    EXPECT_EQ(takeQuitMessage(), 0);
    EXPECT_TRUE(recorder.calls().empty());
}

}  // namespace
}  // namespace dravosk::ui
