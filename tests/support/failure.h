// The error a command or call must raise.
#pragma once

#include <gtest/gtest.h>

#include <utility>

#include "core/error.h"

namespace dravosk::test {

// Runs `action`, expecting it to raise an Error; returns it. A failure of the test when it does
// not raise one.
template <typename F>
Error failure(F&& action) {
    try {
        std::forward<F>(action)();
    } catch (const Error& e) {
        return e;
    }
    ADD_FAILURE() << "no Error was raised";
    return Error(0, u"");
}

}  // namespace dravosk::test
