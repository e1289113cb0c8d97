#include "core/error.h"

#include "core/text.h"

namespace dravosk {

Error::Error(std::int32_t number, std::u16string description, std::u16string where,
             CallOutcome outcome)
    : number_(number), description_(std::move(description)), outcome_(outcome) {
    setWhere(std::move(where));
}

void Error::setWhere(std::u16string where) {
    where_ = std::move(where);
    what_ = hex(static_cast<std::uint32_t>(number_)) + " " + toUtf8(description_);
    if (!where_.empty()) {
        what_ += " [" + toUtf8(where_) + "]";
    }
}

}  // namespace dravosk
