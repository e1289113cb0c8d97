#include "core/command_progress.h"

namespace dravosk {

CommandProgress::Step::Step(CommandProgress& progress, std::u16string text)
    : progress_(progress), text_(std::move(text)) {
    progress_.steps_.push_back(&text_);
}

CommandProgress::Step::~Step() {
    // Steps end in the reverse order of their start (they are scoped), so this is the last one.
    progress_.steps_.pop_back();
}

void CommandProgress::begin() {
    steps_.clear();
    record_ = WriteRecord{};
}

std::u16string CommandProgress::stepText(std::u16string_view member) const {
    // Built the way Error::addContext builds it on the way out, so both name a step alike.
    std::u16string text(member);
    for (auto step = steps_.rbegin(); step != steps_.rend(); ++step) {
        text = text.empty() ? **step : **step + u": " + text;
    }
    return text;
}

Error CommandProgress::abandoned(std::int32_t number, std::u16string description,
                                 std::u16string_view member) const {
    Error error(number, std::move(description), stepText(member));
    error.setWritten(record_.abandoned());
    return error;
}

}  // namespace dravosk
