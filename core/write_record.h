// What a Write has done to the host so far, kept as it goes so that any failure, and an operator
// who gives up on a call that does not come back, can name exactly what was written.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace dravosk {

// "Theo", "IST" and "Ziel" for the data set codes 2, 3 and 27; any other code in decimal.
std::u16string dataSetName(std::int32_t code);

// A feature's data set as a step is named: "Merkmal "B1", Datensatz 3".
std::u16string dataSetStep(const std::u16string& id, std::int32_t code);

// True for the failures after which nobody knows whether the host carried the call out: it was
// cancelled, or the connection broke while it ran (0x80010002, 0x800706BE, 0x800706BA,
// 0x80010108). A call the host refused or answered with an error was not carried out.
bool outcomeUnknown(std::int32_t number);

class WriteRecord {
  public:
    struct Feature {
        std::u16string id;
        std::vector<std::int32_t> reversed;  // data set codes, in the order they were written
        std::vector<std::int32_t> uncertain;
    };

    // A marked feature is reached (host order); the PutVector calls that follow belong to it.
    // Two features with the same identifier get an entry each.
    void startFeature(std::u16string id);
    // Around one PutVector of the current feature: started before it is sent, then exactly one
    // of succeeded or failed.
    void putStarted(std::int32_t dataSet);
    void putSucceeded();
    void putFailed(std::int32_t number);

    // Every feature reached, in host order, including those with nothing written.
    const std::vector<Feature>& features() const noexcept { return features_; }
    // The identifiers of the features with at least one reversed data set, in host order.
    std::vector<std::u16string> changed() const;
    bool anyReversed() const;
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
