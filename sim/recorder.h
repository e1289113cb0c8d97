// What tests read of the stand-in host: every call to its model in order, and how many of the host
// objects handed out are still alive (the in-memory binding and the COM server count theirs here).
#pragma once

#include <vector>

#include "sim/model.h"

namespace dravosk::sim {

class Recorder final : public CallHook {
  public:
    // Records the calls of `model` for as long as it exists.
    explicit Recorder(Model& model) : model_(model) { model_.attach(*this); }
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;
    ~Recorder() override { model_.detach(*this); }

    // Every call, unknown names included, in order.
    const std::vector<Call>& calls() const { return calls_; }
    void clearCalls() { calls_.clear(); }

    // Host objects handed out and not yet released.
    void objectCreated() { ++liveObjects_; }
    void objectReleased() { --liveObjects_; }
    long liveObjects() const { return liveObjects_; }

  private:
    void arrived(const Call& call) override { calls_.push_back(call); }

    Model& model_;
    std::vector<Call> calls_;
    long liveObjects_ = 0;
};

}  // namespace dravosk::sim
