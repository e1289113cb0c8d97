// List1 with a full list: 32,767 entries filled into the list box and marked and unmarked with the
// marking loop, in a shown window under a real window system (Wine on Xvfb, or Windows).
//
//   1. The list box alone through ListBoxFeatureList: append and markAll/unmarkAll with the
//      list box's drawing suspended (WM_SETREDRAW) around each. (Drawn line by line as it goes,
//      the fill alone took minutes under Wine: not worth a run.)
//   2. Form1 itself against the in-memory stand-in host: clicks on cmd_lesen, cmd_allemarkieren
//      and cmd_alledemarkieren, timed from the click until the command has returned.
//
// Every figure is the best of `rounds` runs (default 3); a run whose list does not hold what it
// should is reported and makes the program fail, so no figure comes from a wrong result.
//   listbox_bench [rounds]
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "core/controls.h"
#include "sim/memory_host.h"
#include "sim/model.h"
#include "ui/layout.h"
#include "ui/form_controls.h"
#include "ui/main_window.h"

namespace {

using namespace dravosk;
using Clock = std::chrono::steady_clock;

constexpr int kEntries = 32767;
int failures = 0;

std::u16string identifier(int i) {
    const std::string digits = std::to_string(i);
    return u"Merkmal_Ü" + std::u16string(digits.begin(), digits.end());
}

// Lets the window system draw whatever is pending, so the next timing starts from a quiet window.
void settle() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// Seconds of `action`, including the painting it leaves behind; shown as it comes.
double timed(const char* what, const std::function<void()>& action) {
    settle();
    const auto start = Clock::now();
    action();
    settle();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("  %-50s %8.3f s\n", what, seconds);
    std::fflush(stdout);
    return seconds;
}

void expect(bool ok, const char* what) {
    if (!ok) {
        ++failures;
        std::printf("WRONG RESULT: %s\n", what);
    }
}

struct Figures {
    std::vector<double> fill, mark, unmark;
    static double best(const std::vector<double>& runs) {
        return *std::min_element(runs.begin(), runs.end());
    }
    void print(const char* name) const {
        std::printf("%-44s fill %7.3f s   mark all %7.3f s   unmark all %7.3f s\n", name,
                    best(fill), best(mark), best(unmark));
    }
};

// Suspends the list box's drawing for its lifetime and repaints it once at the end.
class NoRedraw {
  public:
    explicit NoRedraw(HWND box) : box_(box) { SendMessageW(box_, WM_SETREDRAW, FALSE, 0); }
    ~NoRedraw() {
        SendMessageW(box_, WM_SETREDRAW, TRUE, 0);
        RedrawWindow(box_, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE);
    }
    NoRedraw(const NoRedraw&) = delete;
    NoRedraw& operator=(const NoRedraw&) = delete;

  private:
    HWND box_;
};

void listBoxAlone(Figures& figures) {
    // The list box of Form1's size in a shown window of its own.
    const HWND frame = CreateWindowExW(0, L"STATIC", L"listbox_bench", WS_OVERLAPPEDWINDOW, 0, 0,
                                       300, 360, nullptr, nullptr, nullptr, nullptr);
    const HWND box =
        CreateWindowExW(WS_EX_CLIENTEDGE, L"LISTBOX", L"",
                        WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_EXTENDEDSEL | LBS_NOINTEGRALHEIGHT,
                        8, 8, 217, 290, frame, nullptr, nullptr, nullptr);
    ShowWindow(frame, SW_SHOWNOACTIVATE);
    ui::ListBoxFeatureList list(box);
    const auto suspended = [&](const std::function<void()>& action) {
        NoRedraw quiet(box);
        action();
    };

    const std::string name = "List1 alone: ";
    figures.fill.push_back(timed((name + "fill").c_str(), [&] {
        suspended([&] {
            list.clear();
            for (int i = 0; i < kEntries; ++i) {
                list.append(identifier(i));
            }
        });
    }));
    expect(SendMessageW(box, LB_GETCOUNT, 0, 0) == kEntries, "lines after filling");
    figures.mark.push_back(
        timed((name + "mark all").c_str(), [&] { suspended([&] { markAll(list); }); }));
    expect(SendMessageW(box, LB_GETSELCOUNT, 0, 0) == kEntries, "every line marked");
    figures.unmark.push_back(
        timed((name + "unmark all").c_str(), [&] { suspended([&] { unmarkAll(list); }); }));
    expect(SendMessageW(box, LB_GETSELCOUNT, 0, 0) == 0, "no line marked");
    DestroyWindow(frame);
}

void form1(sim::Model& model, Figures& figures) {
    sim::MemoryHost host(model);
    ui::MainWindow window(GetModuleHandleW(nullptr), host);
    if (!window.create(SW_SHOWNOACTIVATE)) {
        expect(false, "Form1 created");
        return;
    }
    const auto click = [&](ui::Slot slot) {
        SendMessageW(window.hwnd(), WM_COMMAND, MAKEWPARAM(ui::design(slot).id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(window.control(slot)));
    };
    const HWND list = window.control(ui::Slot::List1);
    figures.fill.push_back(timed("Form1: cmd_lesen", [&] { click(ui::Slot::cmd_lesen); }));
    expect(SendMessageW(list, LB_GETCOUNT, 0, 0) == kEntries, "Form1: lines after Read");
    figures.mark.push_back(
        timed("Form1: cmd_allemarkieren", [&] { click(ui::Slot::cmd_allemarkieren); }));
    expect(SendMessageW(list, LB_GETSELCOUNT, 0, 0) == kEntries, "Form1: every line marked");
    figures.unmark.push_back(
        timed("Form1: cmd_alledemarkieren", [&] { click(ui::Slot::cmd_alledemarkieren); }));
    expect(SendMessageW(list, LB_GETSELCOUNT, 0, 0) == 0, "Form1: no line marked");
    DestroyWindow(window.hwnd());
    settle();
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;

    sim::PartProgram program{u"Bench", {}};
    for (int i = 0; i < kEntries; ++i) {
        sim::Command command;
        command.isFeature = true;
        command.id = identifier(i);
        command.vectors = {sim::Vector{0, 0, 1}, sim::Vector{0, 1, 0}, sim::Vector{1, 0, 0}};
        program.commands.push_back(std::move(command));
    }
    sim::Model model(std::move(program));

    Figures quiet, window;
    for (int round = 0; round < rounds; ++round) {
        listBoxAlone(quiet);
        form1(model, window);
    }
    std::printf("%d entries, best of %d runs (targets: fill < 0.2 s, each marking < 0.1 s)\n",
                kEntries, rounds);
    quiet.print("List1 alone, drawing suspended (WM_SETREDRAW)");
    window.print("Form1: cmd_lesen, cmd_alle(de)markieren");
    return failures == 0 ? 0 : 1;
}
