#include "sim/server/server_state.h"

#include "core/text.h"

namespace dravosk::sim::server {

void ServerState::countRoundTrip(std::string_view kind, std::u16string_view member) {
    std::string key(kind);
    if (!member.empty()) {
        key += ' ';
        key += toUtf8(member);
    }
    ++roundTrips_[key];
}

long ServerState::totalRoundTrips() const {
    long total = 0;
    for (const auto& [key, count] : roundTrips_) {
        total += count;
    }
    return total;
}

void ServerState::objectCreated() {
    recorder_.objectCreated();
    ++locks_;
}

void ServerState::objectReleased() {
    recorder_.objectReleased();
    unlock();
}

void ServerState::unlock() {
    if (locks_ == 0) {
        return;  // an unbalanced LockServer(FALSE)
    }
    if (--locks_ == 0 && whenUnused_) {
        whenUnused_();
    }
}

}  // namespace dravosk::sim::server
