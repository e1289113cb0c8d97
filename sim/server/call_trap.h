// A test hook: the Nth incoming call of a member ends the server while that call is being served,
// as if the process had been killed at that moment. Its client sees the connection break in the
// middle of its call.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace dravosk::sim::server {

class CallTrap {
  public:
    // `action` runs on the Nth call of `member` from now (1-based) and does not return.
    void arm(std::u16string member, int nth, std::function<void()> action);
    void disarm();
    // Called as a call arrives, before it is served.
    void enter(std::u16string_view member);

  private:
    std::u16string member_;
    int left_ = 0;
    std::function<void()> action_;
};

// The server's one trap; all calls arrive on its main thread.
CallTrap& callTrap();

}  // namespace dravosk::sim::server
