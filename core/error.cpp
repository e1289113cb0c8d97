#include "core/error.h"

#include "core/text.h"

namespace dravosk {

Error::Error(std::int32_t number, std::u16string description, std::u16string where)
    : number_(number), description_(std::move(description)), where_(std::move(where)) {
    updateWhat();
}

void Error::setWhere(std::u16string where) {
    where_ = std::move(where);
    updateWhat();
}

void Error::addContext(const std::u16string& context) {
    setWhere(where_.empty() ? context : context + u": " + where_);
}

void Error::updateWhat() {
    what_ = hex(static_cast<std::uint32_t>(number_)) + " " + toUtf8(description_);
    if (!where_.empty()) {
        what_ += " [" + toUtf8(where_) + "]";
    }
}

}  // namespace dravosk
