// The watch for a host that does not answer. It hears every call the binding makes to the host;
// while a command runs, a helper thread looks four times a second whether the call out has been
// out for the wait time and if so sends the window kAskMessage, upon which the user-interface
// thread, inside its wait for the call, asks the operator whether to wait on or give up. Giving
// up reports the call and ends the program from inside the wait.
// Sent (SendNotifyMessageW, which does not wait for the answer), not posted: a thread waiting for
// a COM call handles messages sent by other threads (the apartment's modal loop retrieves them to
// paint and call the message filter), while posted ones stay queued ("COM does not remove the
// message from the queue", MessagePending). No page promises that every wait of the apartment
// retrieves messages (CoCreateInstance's while Korvane starts, for one): when the window has not
// taken the message up within kTakeUpTime, the helper asks itself, in a box of its own. While it
// asks, and on "Abbrechen" while the report is shown, the user-interface thread cannot go past the
// end of its call: outside its calls it holds the command's lock, which the helper needs to ask,
// so what the helper reads of the command (the call out, the steps, Write's record) stands still.
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

#include "core/host.h"
#include "win/handles.h"

namespace dravosk::ui {

// How long a call may go unanswered before the operator is asked, unless DRAVOSK_WAIT_S says.
inline constexpr std::chrono::seconds kDefaultWait{10};
inline constexpr std::chrono::seconds kLongestWait{3600};

// DRAVOSK_WAIT_S's value: whole seconds from 1 to kLongestWait in decimal digits, else nullopt.
std::optional<std::chrono::seconds> parseWaitSeconds(std::wstring_view text);

class HostWatch final : public CallObserver {
  public:
    // The helper's message once a call is out for the wait time (wParam: its number): the
    // window hands it to onAskMessage.
    static constexpr UINT kAskMessage = WM_APP + 1;

    // How long the helper leaves the window to take up its message before it asks itself.
    static constexpr DWORD kTakeUpTime = 2000;  // ms

    // Ask: asks the operator about the call `member`, out for `waited`; true to wait on. GiveUp:
    // the operator gave up on it: report it and end the program (in the program it never returns;
    // should it, the call is not asked about again). `owner` is the window when its thread asks
    // inside its wait, null when the helper asks in a box of its own while that thread is held.
    using Ask =
        std::function<bool(HWND owner, std::chrono::seconds waited, std::u16string_view member)>;
    using GiveUp =
        std::function<void(HWND owner, std::chrono::seconds waited, std::u16string_view member)>;

    HostWatch(std::chrono::seconds wait, Ask ask, GiveUp giveUp);
    ~HostWatch();
    HostWatch(const HostWatch&) = delete;
    HostWatch& operator=(const HostWatch&) = delete;

    // For its life (one command and its report) the helper watches the calls and sends its
    // message to `window`; outside the calls the creating thread holds the command's lock.
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

    // kAskMessage for call `call`: asks if it is still out, for the wait time, and none is open.
    void onAskMessage(WPARAM call) noexcept;

  private:
    using Clock = std::chrono::steady_clock;
    enum Asker : int { kNobody, kWindow, kHelper };

    void start(HWND window);
    void stop() noexcept;
    void ask();
    void watch(HANDLE stopEvent, HWND window) noexcept;
    // On the helper thread: the window did not take up the message for call `call`, due at
    // `askAt`; asks, if the window's thread is inside that call.
    void askFromHelper(std::uint64_t call, std::uint64_t askAt) noexcept;

    const std::chrono::seconds wait_;
    const Ask ask_;
    const GiveUp giveUp_;

    // Shared with the helper.
    std::atomic<std::uint64_t> callOut_{0};  // the number of the call out, 0 for none
    std::atomic<std::uint64_t> askAt_{0};    // when to ask about it, in GetTickCount64 ms
    std::atomic<std::uint64_t> takenUp_{0};  // the askAt_ the window took the message up for
    std::atomic<int> asker_{kNobody};
    // Written by the user-interface thread; read by the helper only while it holds commandLock_.
    std::uint64_t calls_ = 0;
    std::u16string_view member_;
    Clock::time_point since_{};

    // Held by the user-interface thread in a session outside calls; the helper never waits for it.
    CRITICAL_SECTION commandLock_;
    bool session_ = false;         // the user-interface thread's own
    HWND windowAsking_ = nullptr;  // the session's window, the owner of its questions
    bool lockHeld_ = false;        // by the user-interface thread

    win::unique_handle stopHelper_;
    std::thread helper_;
};

}  // namespace dravosk::ui
