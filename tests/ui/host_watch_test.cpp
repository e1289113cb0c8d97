#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "demo/form1_remote.h"
#include "tests/ui/test_windows.h"
#include "ui/reports.h"
#include "ui/host_watch.h"
#include "win/text.h"

namespace dravosk::ui {
namespace {

using std::chrono::seconds;

TEST(WaitSeconds, WholeSecondsFromOneToAnHourInDecimalDigits) {
    EXPECT_EQ(parseWaitSeconds(L"1"), seconds(1));
    EXPECT_EQ(parseWaitSeconds(L"0010"), seconds(10));
    EXPECT_EQ(parseWaitSeconds(L"3600"), seconds(3600));
    for (const wchar_t* wrong : {L"", L"0", L"0000", L"3601", L"9999", L"00001", L"-5", L"+5",
                                 L" 5", L"5 ", L"1.5", L"zehn", L"10s", L"\u0665", L"\uFF15"}) {
        EXPECT_EQ(parseWaitSeconds(wrong), std::nullopt) << static_cast<const void*>(wrong);
    }
}

// Whether `hwnd` is a question box of this process, with the buttons "Warten" and "Abbrechen";
// if so, kept in the HWND that `context` points to. With the system's calling convention (stdcall
// in a 32-bit program), which a lambda's conversion to a function pointer does not give.
BOOL CALLBACK matchQuestionBox(HWND hwnd, LPARAM context) {
    DWORD process = 0;
    GetWindowThreadProcessId(hwnd, &process);
    if (process == GetCurrentProcessId() && demo::className(hwnd) == L"#32770" &&
        FindWindowExW(hwnd, nullptr, L"Button", L"Warten") != nullptr &&
        FindWindowExW(hwnd, nullptr, L"Button", L"Abbrechen") != nullptr) {
        *reinterpret_cast<HWND*>(context) = hwnd;
        return FALSE;
    }
    return TRUE;
}

// The top-level question box of this process that has the buttons "Warten" and "Abbrechen".
// Asks nothing of the windows it passes over: the thread that made one of them may not answer.
HWND findQuestionBox() {
    HWND found = nullptr;
    EnumWindows(matchQuestionBox, reinterpret_cast<LPARAM>(&found));
    return found;
}

// The window's thread is inside a call that does not end and never retrieves a message, so the
// helper's message is never taken up: the helper thread asks itself, in a box of its own in front
// of every window. The host answering while that question is open does not let the command go
// on: on "Abbrechen" the record the report is made of is still the one of the call asked about.
TEST(HostWatch, TheHelperAsksWhenTheWindowDoesNotTakeUpItsMessage) {
    const test::HiddenWindow window(L"STATIC", WS_POPUP);
    ASSERT_NE(window.get(), nullptr);

    std::atomic<bool> windowAsked{false};
    std::atomic<bool> callEndedReturned{false};
    std::atomic<bool> gaveUp{false};
    std::atomic<bool> callEndedReturnedAtGiveUp{true};
    HWND giveUpOwner = window.get();
    std::u16string giveUpMember;
    HostWatch watch(
        seconds(1),
        [&](HWND owner, seconds waited, std::u16string_view member) {
            if (owner != nullptr) {
                windowAsked = true;
                return true;
            }
            return askToWaitOn(nullptr, busyQuestionText(waited, member));
        },
        [&](HWND owner, seconds, std::u16string_view member) {
            giveUpOwner = owner;
            giveUpMember = member;
            callEndedReturnedAtGiveUp = callEndedReturned.load();
            gaveUp = true;
        });

    std::atomic<HWND> question{nullptr};
    std::atomic<bool> callReturning{false};
    std::wstring caption;
    std::wstring text;
    bool topmost = false;
    std::thread operatorThread([&] {
        HWND box = nullptr;
        for (int i = 0; i < 1000 && box == nullptr; ++i) {
            Sleep(20);
            box = findQuestionBox();
        }
        if (box == nullptr) {
            question = HWND_BOTTOM;  // none came: let the test go on and fail
            return;
        }
        caption = win::windowText(box);
        for (HWND child = FindWindowExW(box, nullptr, L"Static", nullptr); child != nullptr;
             child = FindWindowExW(box, child, L"Static", nullptr)) {
            text += win::windowText(child);
        }
        topmost = (GetWindowLongW(box, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
        question = box;
        while (!callReturning.load()) {
            Sleep(10);
        }
        // Time for the call's end to reach the watch, were nothing holding it.
        Sleep(300);
        PostMessageW(FindWindowExW(box, nullptr, L"Button", L"Abbrechen"), BM_CLICK, 0, 0);
    });

    {
        const HostWatch::Session session(watch, window.get());
        watch.callStarted(u"PutVector");
        // This thread retrieves no message until the question is there.
        while (question.load() == nullptr) {
            Sleep(20);
        }
        callReturning = true;
        watch.callEnded();
        callEndedReturned = true;
    }
    operatorThread.join();

    ASSERT_NE(question.load(), HWND_BOTTOM) << "the question appears";
    EXPECT_FALSE(windowAsked.load());
    EXPECT_EQ(caption, L"Dravosk");
    EXPECT_NE(text.find(L" s nicht (PutVector). Weiter warten oder abbrechen?"), std::wstring::npos)
        << text;
    EXPECT_TRUE(topmost);
    ASSERT_TRUE(gaveUp.load());
    EXPECT_EQ(giveUpOwner, nullptr);
    EXPECT_EQ(giveUpMember, u"PutVector");
    EXPECT_FALSE(callEndedReturnedAtGiveUp.load());
}

}  // namespace
}  // namespace dravosk::ui
