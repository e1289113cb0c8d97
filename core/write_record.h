// What a Write has done to the host so far, kept as it goes so that any failure, and an operator
// who gives up on a call that does not come back, can name exactly what was written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace dravosk {

class WriteRecord {
  public:
    struct Feature {
        std::u16string id;
        std::vector<std::int32_t> reversed;  // data set codes, in the order they were written
        std::vector<std::int32_t> uncertain;
    };

    // PutVector calls per feature the record has room for: one per data set.
    static constexpr std::size_t kPutsPerFeature = 3;

    // A marked feature is reached (host order); the PutVector calls that follow belong to it.
    // Two features with the same identifier get an entry each. All the room the feature's calls
    // are noted in is taken here, before any of them is sent.
    void startFeature(std::u16string id);
    // Around one PutVector of the current feature: started before it is sent, then exactly one
    // of succeeded or failed. None of them allocates or throws, so once the host has carried a
    // call out nothing can keep it from the record. Should a feature ever see more calls than
    // there is room for, the call stays in flight and so counts as uncertain. A failed call is
    // uncertain unless its number says for sure that the host did not carry it out.
    void putStarted(std::int32_t dataSet) noexcept;
    void putSucceeded() noexcept;
    void putFailed(std::int32_t number) noexcept;

    // The data set of the current feature's PutVector that was sent and has not answered (an
    // exception other than the tool's Error came out of it, or it is out now); nullopt when none
    // is. Its outcome is unknown: a report names it as uncertain, for the last feature.
    std::optional<std::int32_t> inFlight() const noexcept;

    // Every feature reached, in host order, including those with nothing written.
    const std::vector<Feature>& features() const noexcept { return features_; }

  private:
    std::vector<Feature> features_;
    std::optional<std::int32_t> pending_;  // the PutVector in flight, if any
};

}  // namespace dravosk
