#include "core/command_progress.h"

#include <algorithm>
#include <exception>
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

void WriteRecord::putFailed(CallOutcome outcome) noexcept {
    if (!pending_ || features_.empty()) {
        return;
    }
    if (outcome == CallOutcome::notRun || appendWithinRoom(features_.back().uncertain, *pending_)) {
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

CommandProgress::Step::Step(CommandProgress& progress, std::u16string text)
    : progress_(progress), exceptions_(std::uncaught_exceptions()) {
    progress_.steps_.resize(progress_.live_);
    progress_.steps_.push_back(std::move(text));
    ++progress_.live_;
}

CommandProgress::Step::~Step() {
    // Scoped, so the last live step; one an exception leaves stays until the error is named.
    --progress_.live_;
    if (std::uncaught_exceptions() == exceptions_) {
        progress_.steps_.resize(progress_.live_);
    }
}

void CommandProgress::begin() {
    steps_.resize(live_);  // what an earlier failure left
    record_ = WriteRecord{};
}

std::u16string CommandProgress::stepText(std::u16string_view member) const {
    std::u16string text(member);
    for (auto step = steps_.rbegin(); step != steps_.rend(); ++step) {
        text = text.empty() ? *step : *step + u": " + text;
    }
    return text;
}

void CommandProgress::name(Error& error) {
    error.setWhere(stepText(error.where()));
    steps_.resize(live_);
}

}  // namespace dravosk
