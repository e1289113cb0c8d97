#include "sim/faults.h"

#include <algorithm>

#include "core/error.h"

namespace dravosk::sim {

void Faults::failAt(std::u16string member, int nth, std::int32_t number,
                    std::u16string description) {
    callCounts_.erase(member);
    failures_[std::move(member)] = {nth, number, std::move(description)};
}

void Faults::failAfterAt(std::u16string member, int nth, std::int32_t number,
                         std::u16string description) {
    callCounts_.erase(member);
    failures_[std::move(member)] = {nth, number, std::move(description), true};
}

void Faults::removeMember(std::u16string member) {
    missing_.push_back(std::move(member));
}

void Faults::leaveVectorUnfilledAt(int nth) {
    unfilledAt_ = nth;
    getVectorCalls_ = 0;
}

void Faults::clearFaults() {
    failures_.clear();
    afterThisCall_.reset();
    missing_.clear();
    unfilledAt_ = 0;
}

bool Faults::hides(std::u16string_view member) const {
    return std::find(missing_.begin(), missing_.end(), member) != missing_.end();
}

void Faults::admitted(std::u16string_view member) {
    afterThisCall_.reset();
    const int count = ++callCounts_[std::u16string(member)];
    if (auto failure = failures_.find(member);
        failure != failures_.end() && failure->second.nth == count) {
        if (failure->second.afterwards) {
            afterThisCall_ = failure->second;
            return;
        }
        throw Error(failure->second.number, failure->second.description, std::u16string(member));
    }
}

void Faults::carriedOut(std::u16string_view member) {
    if (afterThisCall_) {
        const Failure failure = std::move(*afterThisCall_);
        afterThisCall_.reset();
        throw Error(failure.number, failure.description, std::u16string(member));
    }
}

bool Faults::fillsVector() {
    return ++getVectorCalls_ != unfilledAt_;
}

}  // namespace dravosk::sim
