// Test hooks on the server's incoming calls: the Nth call of a member from now runs an action
// before it is served, one that ends the server as if it had been killed at that moment, holds
// the call for a while, or holds it until it is released. Several traps may be armed at once.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace dravosk::sim::server {

class CallTraps {
  public:
    // `action` runs on the Nth call of `member` from now (1-based).
    void arm(std::u16string member, int nth, std::function<void()> action);
    void disarm();
    // Called as a call arrives, before it is served. An action may arm or disarm traps.
    void enter(std::u16string_view member);

  private:
    struct Trap {
        std::u16string member;
        int left;
        std::function<void()> action;
    };
    std::vector<Trap> traps_;
};

}  // namespace dravosk::sim::server
