// The watch for a host that does not answer. It hears every call the binding makes to the host
// (host/outgoing_calls.h) and, while a command runs, keeps a helper thread that looks four times a
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
//
// No page promises that every wait of the apartment retrieves messages (the one inside
// CoCreateInstance while Korvane starts, for one), so the question does not depend on it: when
// the window has not taken the message up within kTakeUpTime, the helper thread puts the
// question itself, in a box of its own (a thread that creates a window gets a message queue of
// its own, and a modal box runs its own loop on it). For as long as it asks, and on "Abbrechen"
// for as long as the report takes, the user-interface thread cannot go past the end of its call:
// outside its calls it holds the command's lock, which the helper needs to ask, so what the
// helper reads of the command (the call out, the steps, Write's record) stands still.
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

    // How long the helper leaves the window to take up its message before it asks itself.
    static constexpr DWORD kTakeUpTime = 2000;  // ms

    // Asks the operator about the call `member`, out for `waited`; true to wait on. `owner` is
    // the window, when the window's thread asks inside its wait, or null, when the helper
    // thread asks in a box of its own while the window's thread is held at its call.
    using Ask =
        std::function<bool(HWND owner, std::chrono::seconds waited, std::u16string_view member)>;
    // The operator gave up on the call `member`, out for `waited`: report it and end the
    // program; `owner` as for Ask. In the program it never returns; should it return, the call
    // is not asked about again.
    using GiveUp =
        std::function<void(HWND owner, std::chrono::seconds waited, std::u16string_view member)>;

    HostWatch(std::chrono::seconds wait, Ask ask, GiveUp giveUp);
    ~HostWatch();
    HostWatch(const HostWatch&) = delete;
    HostWatch& operator=(const HostWatch&) = delete;

    // For the life of the object (one command and its report), the helper watches the calls
    // and sends its message to `window`; outside the calls the creating thread holds the
    // command's lock.
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
    enum Asker : int { kNobody, kWindow, kHelper };

    void start(HWND window);
    void stop() noexcept;
    void ask();
    // The helper's loop, until `stopEvent` is set.
    void watch(HANDLE stopEvent, HWND window) noexcept;
    // On the helper thread: the window did not take up the message for call `call`, due at
    // `askAt`; asks, if the window's thread is inside that call.
    void askFromHelper(std::uint64_t call, std::uint64_t askAt) noexcept;

    const std::chrono::seconds wait_;
    const Ask ask_;
    const GiveUp giveUp_;

    // Shared with the helper: the number of the call out (0 for none); in GetTickCount64
    // milliseconds, when to ask about it; the askAt_ the window took the message up for; who
    // is asking.
    std::atomic<std::uint64_t> callOut_{0};
    std::atomic<std::uint64_t> askAt_{0};
    std::atomic<std::uint64_t> takenUp_{0};
    std::atomic<int> asker_{kNobody};
    // Written by the user-interface thread; read by the helper only while it holds commandLock_.
    std::uint64_t calls_ = 0;
    std::u16string_view member_;
    Clock::time_point since_{};

    // Held by the user-interface thread during a session, except while a call is out; the
    // helper takes it (never waiting for it) to ask.
    CRITICAL_SECTION commandLock_;
    bool session_ = false;         // the user-interface thread's own
    HWND windowAsking_ = nullptr;  // the session's window, the owner of its questions
    bool lockHeld_ = false;        // by the user-interface thread

    win::unique_handle stopHelper_;
    std::thread helper_;
};

}  // namespace dravosk::ui
