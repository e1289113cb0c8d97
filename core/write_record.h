// What a Write has done to the host so far, kept as it goes so that any failure, and an operator
// who gives up on a call that does not come back, can name exactly what was written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace dravosk {

// "Theo", "IST" and "Ziel" for the data set codes 2, 3 and 27; any other code in decimal.
std::u16string dataSetName(std::int32_t code);

// A feature's data set as a step is named: "Merkmal "B1", Datensatz 3".
std::u16string dataSetStep(const std::u16string& id, std::int32_t code);

// True only for the failures of a call that certainly did not change the host: it never left this
// program (COM not ready on this thread, a call out not allowed here, the arguments could not be
// marshalled, the proxy no longer connected), the host refused it without running it (busy), its
// automation layer turned it down before the method ran (unknown name or member, wrong arguments),
// or the host answered it with an exception of its own (DISP_E_EXCEPTION, or a code of the
// control facility 0x800A.... under which an exception's wCode is reported). `number` is the
// number as reported, so an exception the host raised with an scode of its own counts by that
// scode. Every other failure (a cancelled call, a broken or timed-out connection, a fault in the
// server, out of memory, anything unknown) may have come after the host carried the call out.
bool certainlyNotRun(std::int32_t number) noexcept;

// After such a failure nobody knows whether the host carried the call out.
inline bool outcomeUnknown(std::int32_t number) noexcept {
    return !certainlyNotRun(number);
}

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
    void putFailed(std::int32_t number) noexcept;

    // The data set of the current feature's PutVector that was sent and has not answered (an
    // exception other than the tool's Error came out of it, or it is out now); nullopt when none
    // is. Its outcome is unknown: a report names it as uncertain, for the last feature.
    std::optional<std::int32_t> inFlight() const noexcept;

    // Every feature reached, in host order, including those with nothing written.
    const std::vector<Feature>& features() const noexcept { return features_; }
    // The identifiers of the features with at least one reversed data set, in host order.
    std::vector<std::u16string> changed() const;
    bool anyReversed() const;
    // Also true for a PutVector in flight.
    bool anyUncertain() const;

    // This record as it stands if the call out now is given up on: a PutVector in flight
    // becomes uncertain.
    WriteRecord abandoned() const;

  private:
    std::vector<Feature> features_;
    std::optional<std::int32_t> pending_;  // the PutVector in flight, if any
};

// "Theo, IST": the data sets of `feature` reversed so far, in the order they were written.
std::u16string reversedNames(const WriteRecord::Feature& feature);

// "Merkmal "B1": Theo, IST umgekehrt" (only meaningful for a feature with reversed data sets).
std::u16string reversedLine(const WriteRecord::Feature& feature);
// "Merkmal "B2", Datensatz 27: ungewiss, ob umgekehrt – bitte in Korvane prüfen"
std::u16string uncertainLine(const std::u16string& id, std::int32_t dataSet);

}  // namespace dravosk
