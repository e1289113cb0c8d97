// Holds an incoming call on the server's thread, as a slow or hung host would, while the server
// goes on answering its control channel and serving its window. Other incoming COM calls wait in
// the thread's queue meanwhile (releases too): the host is busy with the one call it holds.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace dravosk::sim::server {

class Stall {
  public:
    // The window whose messages are served while a call is held; null when there is none.
    explicit Stall(std::function<HWND()> window) : window_(std::move(window)) {}
    Stall(const Stall&) = delete;
    Stall& operator=(const Stall&) = delete;

    // Holds the call of `member` for `duration`, without one until it is released. Returns
    // early when the call is released or the server is told to end (the main loop still sees
    // the WM_QUIT).
    void hold(std::u16string_view member, std::optional<std::chrono::milliseconds> duration);
    // Lets the held call go on: its member, or nullopt when no call is held.
    std::optional<std::u16string> release();

  private:
    void serve(std::optional<std::chrono::steady_clock::time_point> deadline);

    std::function<HWND()> window_;
    std::optional<std::u16string> held_;
    bool released_ = false;
};

}  // namespace dravosk::sim::server
