#include "core/write_record.h"

#include <algorithm>
#include <unordered_map>
#include <utility>

namespace dravosk {

namespace {

// Appends within the room taken beforehand; false (and nothing changed) when there is none.
bool appendWithinRoom(std::vector<std::int32_t>& to, std::int32_t dataSet) noexcept {
    if (to.size() == to.capacity()) {
        return false;
    }
    to.push_back(dataSet);  // cannot allocate, so cannot throw
    return true;
}

}  // namespace

void WriteRecord::startFeature(std::u16string id) {
    Feature feature{std::move(id), {}, {}};
    feature.reversed.reserve(kPutsPerFeature);
    feature.uncertain.reserve(kPutsPerFeature);
    features_.push_back(std::move(feature));
    pending_.reset();
}

void WriteRecord::putStarted(std::int32_t dataSet) noexcept {
    pending_ = dataSet;
}

void WriteRecord::putSucceeded() noexcept {
    if (pending_ && !features_.empty() && appendWithinRoom(features_.back().reversed, *pending_)) {
        pending_.reset();
    }
}

void WriteRecord::putFailed(std::int32_t number) noexcept {
    if (!pending_ || features_.empty()) {
        return;
    }
    if (certainlyNotRun(number) || appendWithinRoom(features_.back().uncertain, *pending_)) {
        pending_.reset();
    }
}

void WriteRecord::putFailed(ReadBack now) noexcept {
    if (!pending_ || features_.empty()) {
        return;
    }
    bool noted = true;
    switch (now) {
        case ReadBack::asBefore:
            break;
        case ReadBack::negated:
            noted = appendWithinRoom(features_.back().reversed, *pending_);
            break;
        case ReadBack::otherwise:
            noted = appendWithinRoom(features_.back().uncertain, *pending_);
            break;
    }
    if (noted) {
        pending_.reset();
    }
}

// Only the platform's and the automation layer's own answers say for sure that the method never
// ran. Whatever the host's method itself answered, DISP_E_EXCEPTION or a code of the control
// facility 0x800A.... included, it may have said so after it had written, and the same holds for
// a cancelled call, a broken or timed-out connection, a fault in the server, out of memory and
// anything unknown.
bool WriteRecord::certainlyNotRun(std::int32_t number) noexcept {
    switch (static_cast<std::uint32_t>(number)) {
        // The host's message filter refused the call; it was not run.
        case 0x80010001u:  // RPC_E_CALL_REJECTED
        case 0x8001010Au:  // RPC_E_SERVERCALL_RETRYLATER
        // The call never left this program.
        case 0x80010003u:  // RPC_E_CANTPOST_INSENDCALL
        case 0x80010004u:  // RPC_E_CANTCALLOUT_INASYNCCALL
        case 0x80010005u:  // RPC_E_CANTCALLOUT_INEXTERNALCALL
        case 0x8001010Du:  // RPC_E_CANTCALLOUT_ININPUTSYNCCALL
        case 0x80010011u:  // RPC_E_CANTCALLOUT_AGAIN
        case 0x8001010Eu:  // RPC_E_WRONG_THREAD
        case 0x8001000Bu:  // RPC_E_CLIENT_CANTMARSHAL_DATA
        case 0x800401F0u:  // CO_E_NOTINITIALIZED
        case 0x800401FDu:  // CO_E_OBJNOTCONNECTED: the proxy was cut off before the call
        case 0x80010012u:  // RPC_E_SERVER_DIED_DNE: "the call did not execute"
        // The host's automation layer turned the call down before the method ran.
        case 0x80020001u:  // DISP_E_UNKNOWNINTERFACE
        case 0x80020003u:  // DISP_E_MEMBERNOTFOUND
        case 0x80020004u:  // DISP_E_PARAMNOTFOUND
        case 0x80020005u:  // DISP_E_TYPEMISMATCH
        case 0x80020006u:  // DISP_E_UNKNOWNNAME
        case 0x80020007u:  // DISP_E_NONAMEDARGS
        case 0x80020008u:  // DISP_E_BADVARTYPE
        case 0x8002000Au:  // DISP_E_OVERFLOW
        case 0x8002000Bu:  // DISP_E_BADINDEX
        case 0x8002000Cu:  // DISP_E_UNKNOWNLCID
        case 0x8002000Du:  // DISP_E_ARRAYISLOCKED
        case 0x8002000Eu:  // DISP_E_BADPARAMCOUNT
        case 0x8002000Fu:  // DISP_E_PARAMNOTOPTIONAL
        case 0x80020011u:  // DISP_E_NOTACOLLECTION
            return true;
        default:
            return false;
    }
}

bool WriteRecord::readBackTells(std::int32_t number) noexcept {
    switch (static_cast<std::uint32_t>(number)) {
        // Given up on while out: the host may carry it out after it has been asked.
        case 0x80010002u:  // RPC_E_CALL_CANCELED
        case 0x8001011Fu:  // RPC_E_TIMEOUT
            return false;
        default:
            return !certainlyNotRun(number);
    }
}

void WriteRecord::collectionRepeated() noexcept {
    if (pending_ && !features_.empty()) {
        // Out when the walk stopped: uncertain, and so counted below.
        if (appendWithinRoom(features_.back().uncertain, *pending_)) {
            pending_.reset();
        }
    }
    try {
        struct Count {
            std::int32_t dataSet;
            std::size_t reversed = 0;
            std::size_t uncertain = 0;
        };
        std::vector<std::u16string> ids;  // in the order first met
        std::vector<std::vector<Count>> counts;
        std::unordered_map<std::u16string, std::size_t> indexOf;
        for (const Feature& feature : features_) {
            const auto [at, added] = indexOf.try_emplace(feature.id, ids.size());
            if (added) {
                ids.push_back(feature.id);
                counts.emplace_back();
            }
            std::vector<Count>& sets = counts[at->second];
            const auto count = [&sets](std::int32_t dataSet) -> Count& {
                const auto found = std::find_if(
                    sets.begin(), sets.end(), [&](const Count& c) { return c.dataSet == dataSet; });
                return found != sets.end() ? *found : sets.emplace_back(Count{dataSet});
            };
            for (const std::int32_t dataSet : feature.reversed) {
                ++count(dataSet).reversed;
            }
            for (const std::int32_t dataSet : feature.uncertain) {
                ++count(dataSet).uncertain;
            }
        }
        std::vector<Feature> merged;
        merged.reserve(ids.size());
        for (std::size_t i = 0; i < ids.size(); ++i) {
            Feature feature{std::move(ids[i]), {}, {}};
            const std::size_t room = std::max(kPutsPerFeature, counts[i].size());
            feature.reversed.reserve(room);
            feature.uncertain.reserve(room);
            for (const Count& count : counts[i]) {
                if (count.reversed == 1 && count.uncertain == 0) {
                    feature.reversed.push_back(count.dataSet);
                } else {
                    feature.uncertain.push_back(count.dataSet);
                }
            }
            merged.push_back(std::move(feature));
        }
        features_ = std::move(merged);
    } catch (...) {
        // No memory to count with: nothing is named as reversed, every write as uncertain.
        for (Feature& feature : features_) {
            for (const std::int32_t dataSet : feature.reversed) {
                appendWithinRoom(feature.uncertain, dataSet);
            }
            feature.reversed.clear();
        }
    }
}

std::optional<std::int32_t> WriteRecord::inFlight() const noexcept {
    return features_.empty() ? std::nullopt : pending_;
}

}  // namespace dravosk
