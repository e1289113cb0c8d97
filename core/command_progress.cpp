#include "core/command_progress.h"

#include <exception>

namespace dravosk {

CommandProgress::Step::Step(CommandProgress& progress, std::u16string text)
    : progress_(progress), exceptions_(std::uncaught_exceptions()) {
    progress_.steps_.resize(progress_.live_);
    progress_.steps_.push_back(std::move(text));
    ++progress_.live_;
}

CommandProgress::Step::~Step() {
    // Steps end in the reverse order of their start (they are scoped), so this is the last live
    // one. While an exception leaves it, it stays for the catch that names the error.
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
