#include "ui/command_runner.h"

#include <exception>
#include <new>
#include <string>

#include "core/text.h"

namespace dravosk::ui {

namespace {

// Shows the hourglass while a command runs and puts the previous cursor back afterwards. System
// cursors are shared: nothing to release.
class WaitCursor {
  public:
    WaitCursor() : previous_(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
    ~WaitCursor() { SetCursor(previous_); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

  private:
    HCURSOR previous_;
};

constexpr std::int32_t kOutOfMemory = static_cast<std::int32_t>(E_OUTOFMEMORY);
constexpr std::int32_t kUnexpected = static_cast<std::int32_t>(E_UNEXPECTED);

// Suspends a control's drawing while a command changes many of its lines at once, and repaints it
// once at the end; each line drawn as it comes costs far more than the change itself.
class SuspendedDrawing {
  public:
    explicit SuspendedDrawing(HWND control) : control_(control) {
        SendMessageW(control_, WM_SETREDRAW, FALSE, 0);
    }
    ~SuspendedDrawing() {
        SendMessageW(control_, WM_SETREDRAW, TRUE, 0);
        RedrawWindow(control_, nullptr, nullptr,
                     RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
    }
    SuspendedDrawing(const SuspendedDrawing&) = delete;
    SuspendedDrawing& operator=(const SuspendedDrawing&) = delete;

  private:
    HWND control_;
};

// Holds the marks and the check states for the command, from its click to its end.
class HeldControls {
  public:
    HeldControls(ListBoxFeatureList& list, WindowControlStates& states)
        : list_(list), states_(states) {
        list_.holdMarks();
        states_.holdCheckStates();
    }
    ~HeldControls() {
        states_.releaseCheckStates();
        list_.releaseMarks();
    }
    HeldControls(const HeldControls&) = delete;
    HeldControls& operator=(const HeldControls&) = delete;

  private:
    ListBoxFeatureList& list_;
    WindowControlStates& states_;
};

std::optional<Error> run(const ButtonCommand& command, AutomationService& service,
                         ListBoxFeatureList& list, WindowControlStates& states,
                         CommandProgress& progress, HWND listBox) {
    WaitCursor wait;
    try {
        // Before the command's first call to the host: every wait for it handles messages
        // other programs send, and those may click or select in the controls.
        const HeldControls held(list, states);
        std::optional<SuspendedDrawing> quietList;
        if (command.redrawListOnce) {
            quietList.emplace(listBox);
        }
        command.handler(service, list, states, progress);
        return std::nullopt;
    } catch (const Error& error) {
        return error;
    } catch (const std::bad_alloc&) {
        return Error(kOutOfMemory, u"Nicht genügend Arbeitsspeicher.",
                     std::u16string(command.name));
    } catch (const std::exception& error) {
        return Error(kUnexpected, fromUtf8(error.what()), std::u16string(command.name));
    } catch (...) {
        return Error(kUnexpected, u"Unerwarteter Fehler.", std::u16string(command.name));
    }
}

}  // namespace

std::optional<Error> runButtonCommand(const ButtonCommand& command, AutomationService& service,
                                      ListBoxFeatureList& list, WindowControlStates& states,
                                      CommandProgress& progress, HWND listBox) {
    return run(command, service, list, states, progress, listBox);
}

}  // namespace dravosk::ui
