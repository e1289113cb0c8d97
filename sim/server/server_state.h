// What every COM object of the server shares: the model with the parts that tests drive through
// the control channel (call records, faults, traps on incoming calls, refusal of calls), the
// round-trip counts, and the server's lifetime when COM started it. All of it is used on the
// server's main thread only.
#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "sim/faults.h"
#include "sim/model.h"
#include "sim/recorder.h"
#include "sim/server/call_trap.h"

namespace dravosk::sim::server {

class ServerState {
  public:
    explicit ServerState(Model& model) : model_(model), recorder_(model), faults_(model) {}
    ServerState(const ServerState&) = delete;
    ServerState& operator=(const ServerState&) = delete;

    Model& model() { return model_; }
    Recorder& recorder() { return recorder_; }
    Faults& faults() { return faults_; }
    CallTraps& traps() { return traps_; }

    // Incoming calls on the host's interfaces are refused for `duration` from now (zero: no
    // longer), as by a host that is busy; see CallFilter.
    void rejectFor(std::chrono::milliseconds duration) {
        rejectUntil_ = std::chrono::steady_clock::now() + duration;
    }
    bool rejecting() const { return std::chrono::steady_clock::now() < rejectUntil_; }

    // One incoming call of the kind "GetIDsOfNames", "Invoke", "Next", ... on `member` (may be
    // empty for the enumerator's methods).
    void countRoundTrip(std::string_view kind, std::u16string_view member);
    // "Invoke ID" -> 12, ...
    const std::map<std::string, long>& roundTrips() const { return roundTrips_; }
    long totalRoundTrips() const;
    void clearRoundTrips() { roundTrips_.clear(); }

    // Every COM object counts itself here (constructor / final Release).
    void objectCreated();
    void objectReleased();
    // Runs once the last object and lock are gone (a server started by COM ends then); empty for
    // a server that runs until it is told to quit.
    void setWhenUnused(std::function<void()> action) { whenUnused_ = std::move(action); }

    // IClassFactory::LockServer.
    void lock() { ++locks_; }
    void unlock();

  private:
    Model& model_;
    Recorder recorder_;
    Faults faults_;
    CallTraps traps_;
    std::chrono::steady_clock::time_point rejectUntil_{};
    std::function<void()> whenUnused_;
    long locks_ = 0;
    std::map<std::string, long> roundTrips_;
};

// Counts an object in the server state for as long as it lives.
class CountedObject {
  public:
    explicit CountedObject(ServerState& state) : state_(state) { state_.objectCreated(); }
    CountedObject(const CountedObject&) = delete;
    CountedObject& operator=(const CountedObject&) = delete;
    ~CountedObject() { state_.objectReleased(); }

  protected:
    ServerState& state_;
};

}  // namespace dravosk::sim::server
