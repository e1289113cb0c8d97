// The watch for a host that does not answer. It hears every call the binding makes to the host
// (host/outgoing_calls.h) and, while a command runs, keeps a helper thread that looks twice a
// second whether the call out has been out for the wait time. If so it sends the window a
// message of its own, and from there, on the user-interface thread and inside the wait for the
// call, the operator is asked whether to wait on or give up; giving up reports the call and ends
// the program from inside the wait.
//
// The message is sent (SendNotifyMessageW), not posted, because that is what a thread waiting
// for a COM call is documented to receive: "messages sent between threads are processed only
// when the receiving thread executes message retrieval code" (SendMessage), and the apartment's
// modal loop that waits for an outgoing call keeps retrieving messages — that is how it paints
// and calls the message filter — while messages posted to the queue stay there during the wait
// ("COM does not remove the message from the queue", MessagePending). The helper does not wait
// for the answer, so it never blocks. The same message arrives in the binding's own pauses,
// which retrieve messages too.
#pragma once

#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include "core/call_observer.h"
#include "win/unique_handle.h"

namespace dravosk::ui {

// How long a call may go unanswered before the operator is asked, unless DRAVOSK_WAIT_S says.
inline constexpr std::chrono::seconds kDefaultWait{10};
inline constexpr std::chrono::seconds kLongestWait{3600};

// DRAVOSK_WAIT_S's value: whole seconds from 1 to kLongestWait in decimal digits; nullopt for
// anything else.
std::optional<std::chrono::seconds> parseWaitSeconds(std::wstring_view text);

class HostWatch final : public CallObserver {
  public:
    // The message the helper sends the window once a call has been out for the wait time; its
    // wParam is the number of that call. The window hands it to onAskMessage.
    static constexpr UINT kAskMessage = WM_APP + 1;

    // Asks the operator about the call `member`, out for `waited`; true to wait on.
    using Ask = std::function<bool(std::chrono::seconds waited, std::u16string_view member)>;
    // The operator gave up on the call `member`, out for `waited`: report it and end the
    // program. Never returns.
    using GiveUp = std::function<void(std::chrono::seconds waited, std::u16string_view member)>;

    HostWatch(std::chrono::seconds wait, Ask ask, GiveUp giveUp);
    ~HostWatch();
    HostWatch(const HostWatch&) = delete;
    HostWatch& operator=(const HostWatch&) = delete;

    // For the life of the object (one command and its report), the helper watches the calls
    // and sends its message to `window`.
    class Session {
      public:
        Session(HostWatch& watch, HWND window);
        ~Session();
        Session(const Session&) = delete;
        Session& operator=(const Session&) = delete;

      private:
        HostWatch& watch_;
    };

    // A call goes out; each attempt of a refused call starts anew, since a refusal is an answer.
    // `member` stays valid until callEnded.
    void callStarted(std::u16string_view member) noexcept override;
    void callEnded() noexcept override;

    // kAskMessage arrived for call number `call`: asks, if that call is still out and has been
    // for the wait time, and no question is open.
    void onAskMessage(WPARAM call) noexcept;

  private:
    using Clock = std::chrono::steady_clock;

    void start(HWND window);
    void stop() noexcept;
    void ask();

    const std::chrono::seconds wait_;
    const Ask ask_;
    const GiveUp giveUp_;

    // Shared with the helper: the number of the call out (0 for none) and, in GetTickCount64
    // milliseconds, when to ask about it.
    std::atomic<std::uint64_t> callOut_{0};
    std::atomic<std::uint64_t> askAt_{0};
    // The user-interface thread's own.
    std::uint64_t calls_ = 0;
    std::u16string_view member_;
    Clock::time_point since_{};
    bool asking_ = false;

    win::unique_handle stopHelper_;
    std::thread helper_;
};

}  // namespace dravosk::ui
