// The watch for a host that does not answer. While a command runs, a helper thread wakes the
// user-interface thread twice a second whenever a call to the host is out: the platform's wait
// for the call then hands the message filter (host/message_filter.h) a waiting message, and
// only then can the tool act from inside the wait (Wine's wait loop wakes for nothing else).
// Once a call has been out for the wait time, the operator is asked whether to wait on or give
// up; giving up reports the call and ends the program from inside the wait. All of it but the
// posting runs on the user-interface thread.
#pragma once

#include <windows.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include "core/call_observer.h"
#include "core/command_progress.h"
#include "core/error.h"
#include "host/message_filter.h"
#include "win/unique_handle.h"

namespace dravosk::ui {

// How long a call may go unanswered before the operator is asked, unless DRAVOSK_WAIT_S says.
inline constexpr std::chrono::seconds kDefaultWait{10};
inline constexpr std::chrono::seconds kLongestWait{3600};

// DRAVOSK_WAIT_S's value: whole seconds from 1 to kLongestWait in decimal digits; nullopt for
// anything else.
std::optional<std::chrono::seconds> parseWaitSeconds(std::wstring_view text);

class HostWatch final : public CallObserver, public host::CallWaitHandler {
  public:
    // Asks the operator about the call out for `waited`, named by `step`; true to wait on.
    using Ask = std::function<bool(std::chrono::seconds waited, std::u16string_view step)>;
    // Reports the call given up on and ends the program.
    using GiveUp = std::function<void(const Error& error)>;

    HostWatch(const CommandProgress& progress, std::chrono::seconds wait, Ask ask, GiveUp giveUp);
    ~HostWatch();
    HostWatch(const HostWatch&) = delete;
    HostWatch& operator=(const HostWatch&) = delete;

    // For the life of the object (one command), the helper wakes `window` while a call is out.
    class Session {
      public:
        Session(HostWatch& watch, HWND window);
        ~Session();
        Session(const Session&) = delete;
        Session& operator=(const Session&) = delete;

      private:
        HostWatch& watch_;
    };

    void callStarted(std::u16string_view member) noexcept override;
    void callEnded() noexcept override;
    void callRefused() noexcept override;
    void callWaiting() noexcept override;

  private:
    using Clock = std::chrono::steady_clock;

    void start(HWND window);
    void stop() noexcept;
    void ask();

    const CommandProgress& progress_;
    const std::chrono::seconds wait_;
    const Ask ask_;
    const GiveUp giveUp_;

    // Read by the helper.
    std::atomic<bool> callOut_{false};
    // The user-interface thread's own.
    Clock::time_point since_{};  // the call went out, or the host last refused it
    Clock::time_point askAt_{};  // when the operator is asked next
    bool asking_ = false;

    win::unique_handle stopHelper_;
    std::thread helper_;
};

}  // namespace dravosk::ui
