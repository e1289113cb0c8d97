// Faults injected into the stand-in host's model for tests: a member's call that fails, a member
// that is gone, a GetVector that fills nothing. Counts start when a fault is set; `nth` is 1-based.
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/model.h"

namespace dravosk::sim {

// A host that is busy from the start, as a part program file can ask for it ("faults"):
// korvane-sim refuses incoming calls for a while, answers a member's Nth call late, or holds it
// until it is released through the control channel. The in-memory host has nobody to keep
// waiting and ignores these. Counts start when the faults are set.
struct BusyFaults {
    struct Delay {
        std::u16string member;
        int nth = 1;
        std::chrono::milliseconds duration{0};
        bool operator==(const Delay&) const = default;
    };
    struct Hang {
        std::u16string member;
        int nth = 1;
        bool operator==(const Hang&) const = default;
    };
    std::chrono::milliseconds reject{0};
    std::vector<Delay> delays;
    std::vector<Hang> hangs;
    bool operator==(const BusyFaults&) const = default;
};

// The longest time a fault may last: a day.
inline constexpr std::int64_t kMaxFaultMilliseconds = 24LL * 60 * 60 * 1000;

class Faults final : public CallHook {
  public:
    // Acts on the calls of `model` for as long as it exists.
    explicit Faults(Model& model) : model_(model) { model_.attach(*this); }
    Faults(const Faults&) = delete;
    Faults& operator=(const Faults&) = delete;
    ~Faults() override { model_.detach(*this); }

    // The nth call of `member` from now raises `number` with `description`.
    void failAt(std::u16string member, int nth, std::int32_t number, std::u16string description);
    // The same, but only after the call has done its work (a PutVector has written), as a host
    // that fails late does; only methods (GetVector, PutVector) do work of their own. Takes the
    // place of a failAt of the same member.
    void failAfterAt(std::u16string member, int nth, std::int32_t number,
                     std::u16string description);
    // `member` is no longer known by name.
    void removeMember(std::u16string member);
    // GetVector returns without filling its arguments at its nth call from now (0: never).
    void leaveVectorUnfilledAt(int nth);
    void clearFaults();

  private:
    bool hides(std::u16string_view member) const override;
    void admitted(std::u16string_view member) override;
    bool fillsVector() override;
    void carriedOut(std::u16string_view member) override;

    struct Failure {
        int nth;
        std::int32_t number;
        std::u16string description;
        bool afterwards = false;
    };
    Model& model_;
    std::map<std::u16string, int, std::less<>> callCounts_;
    std::map<std::u16string, Failure, std::less<>> failures_;
    std::vector<std::u16string> missing_;
    std::optional<Failure> afterThisCall_;  // raised when the call admitted last is carried out
    int unfilledAt_ = 0;
    int getVectorCalls_ = 0;
};

}  // namespace dravosk::sim
