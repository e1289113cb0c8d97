#include "core/write_record.h"

#include <algorithm>

#include "core/text.h"

namespace dravosk {

std::u16string dataSetName(std::int32_t code) {
    switch (code) {
        case 2:
            return u"Theo";
        case 3:
            return u"IST";
        case 27:
            return u"Ziel";
        default:
            return decimal(code);
    }
}

std::u16string dataSetStep(const std::u16string& id, std::int32_t code) {
    return u"Merkmal \"" + id + u"\", Datensatz " + decimal(code);
}

std::u16string reversedNames(const WriteRecord::Feature& feature) {
    std::u16string names;
    for (std::size_t i = 0; i < feature.reversed.size(); ++i) {
        names += (i == 0 ? u"" : u", ") + dataSetName(feature.reversed[i]);
    }
    return names;
}

bool outcomeUnknown(std::int32_t number) {
    switch (static_cast<std::uint32_t>(number)) {
        case 0x80010002u:  // RPC_E_CALL_CANCELED
        case 0x800706BEu:  // the remote procedure call failed
        case 0x800706BAu:  // the RPC server is unavailable
        case 0x80010108u:  // RPC_E_DISCONNECTED
            return true;
        default:
            return false;
    }
}

void WriteRecord::startFeature(std::u16string id) {
    features_.push_back({std::move(id), {}, {}});
    pending_.reset();
}

void WriteRecord::putStarted(std::int32_t dataSet) {
    pending_ = dataSet;
}

void WriteRecord::putSucceeded() {
    if (pending_ && !features_.empty()) {
        features_.back().reversed.push_back(*pending_);
    }
    pending_.reset();
}

void WriteRecord::putFailed(std::int32_t number) {
    if (pending_ && !features_.empty() && outcomeUnknown(number)) {
        features_.back().uncertain.push_back(*pending_);
    }
    pending_.reset();
}

std::vector<std::u16string> WriteRecord::changed() const {
    std::vector<std::u16string> ids;
    for (const Feature& feature : features_) {
        if (!feature.reversed.empty()) {
            ids.push_back(feature.id);
        }
    }
    return ids;
}

bool WriteRecord::anyReversed() const {
    return std::any_of(features_.begin(), features_.end(),
                       [](const Feature& f) { return !f.reversed.empty(); });
}

bool WriteRecord::anyUncertain() const {
    return std::any_of(features_.begin(), features_.end(),
                       [](const Feature& f) { return !f.uncertain.empty(); });
}

WriteRecord WriteRecord::abandoned() const {
    WriteRecord copy = *this;
    copy.putFailed(static_cast<std::int32_t>(0x80010002u));  // as if cancelled
    return copy;
}

std::u16string reversedLine(const WriteRecord::Feature& feature) {
    return u"Merkmal \"" + feature.id + u"\": " + reversedNames(feature) + u" umgekehrt";
}

std::u16string uncertainLine(const std::u16string& id, std::int32_t dataSet) {
    return dataSetStep(id, dataSet) + u": ungewiss, ob umgekehrt – bitte in Korvane prüfen";
}

}  // namespace dravosk
