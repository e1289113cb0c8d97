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
    // there is room for, the call stays in flight and so counts as uncertain.
    void putStarted(std::int32_t dataSet) noexcept;
    void putSucceeded() noexcept;
    // Failed with `number`, with nothing known beyond it: not written if the number says for
    // sure that the host did not carry the call out (certainlyNotRun), else uncertain.
    void putFailed(std::int32_t number) noexcept;
    // What the host said the vector is after the PutVector failed (one GetVector of the same
    // data set): the vector read before, its negation, or anything else, a failed read included.
    enum class ReadBack { asBefore, negated, otherwise };
    // Failed, and the host asked afterwards: not written, reversed, or uncertain.
    void putFailed(ReadBack now) noexcept;

    // True for the failures of a PutVector that certainly did not change the host: the call never
    // left this program, the host's message filter refused it, or its automation layer turned it
    // down before the method ran. An exception the host answers with is not among them: a host
    // may raise it after it has carried the call out.
    static bool certainlyNotRun(std::int32_t number) noexcept;
    // True when asking the host what the vector is now tells how a PutVector that failed with
    // `number` ended: it came back from the host, and not as given up on (cancelled, timed out),
    // since such a call may still be carried out afterwards.
    static bool readBackTells(std::int32_t number) noexcept;

    // The walk found that the collection does not end (or starts over) while the host handed
    // out a new object for every command: the entries of one identifier may all be the same
    // feature met lap after lap, each reversing it once more. So they become one entry, at the
    // place of the first, in which a data set stays reversed only if exactly one of them
    // reversed it and none left it uncertain; one reversed more often, or uncertain in any of
    // them, is uncertain. Never names as reversed a vector reversed an even number of times.
    void collectionRepeated() noexcept;

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
