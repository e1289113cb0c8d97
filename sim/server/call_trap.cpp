#include "sim/server/call_trap.h"

namespace dravosk::sim::server {

void CallTrap::arm(std::u16string member, int nth, std::function<void()> action) {
    member_ = std::move(member);
    left_ = nth;
    action_ = std::move(action);
}

void CallTrap::disarm() {
    left_ = 0;
    action_ = nullptr;
}

void CallTrap::enter(std::u16string_view member) {
    if (left_ > 0 && member == member_ && --left_ == 0 && action_) {
        action_();
    }
}

CallTrap& callTrap() {
    static CallTrap trap;
    return trap;
}

}  // namespace dravosk::sim::server
