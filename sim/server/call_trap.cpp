#include "sim/server/call_trap.h"

namespace dravosk::sim::server {

void CallTraps::arm(std::u16string member, int nth, std::function<void()> action) {
    traps_.push_back({std::move(member), nth, std::move(action)});
}

void CallTraps::disarm() {
    traps_.clear();
}

void CallTraps::enter(std::u16string_view member) {
    // Taken out before any runs: an action serves control commands while it holds the call.
    std::vector<std::function<void()>> due;
    for (auto trap = traps_.begin(); trap != traps_.end();) {
        if (trap->member == member && --trap->left == 0) {
            due.push_back(std::move(trap->action));
            trap = traps_.erase(trap);
        } else {
            ++trap;
        }
    }
    for (const auto& action : due) {
        action();
    }
}

}  // namespace dravosk::sim::server
