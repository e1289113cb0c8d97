#include "core/error.h"

#include <cstdio>

#include "core/text.h"

namespace dravosk {

Error::Error(std::int32_t number, std::u16string description, std::u16string where)
    : number_(number), description_(std::move(description)), where_(std::move(where)) {
    updateWhat();
}

void Error::addContext(const std::u16string& context) {
    where_ = where_.empty() ? context : context + u": " + where_;
    updateWhat();
}

void Error::updateWhat() {
    char number[32];
    std::snprintf(number, sizeof number, "0x%08X", static_cast<unsigned>(number_));
    what_ = std::string(number) + " " + toUtf8(description_);
    if (!where_.empty()) {
        what_ += " [" + toUtf8(where_) + "]";
    }
}

}  // namespace dravosk
