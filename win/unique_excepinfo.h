// Owns the texts of an EXCEPINFO that Invoke filled in.
#pragma once

#include <windows.h>
// ole2.h needs windows.h first
#include <ole2.h>

#include <utility>

namespace dravosk::win {

class unique_excepinfo {
  public:
    unique_excepinfo() noexcept : e_{} {}
    unique_excepinfo(const unique_excepinfo&) = delete;
    unique_excepinfo& operator=(const unique_excepinfo&) = delete;
    // Moving hands the texts over; the source is left empty and owns nothing.
    unique_excepinfo(unique_excepinfo&& other) noexcept
        : e_(std::exchange(other.e_, EXCEPINFO{})) {}
    unique_excepinfo& operator=(unique_excepinfo&& other) noexcept {
        std::swap(e_, other.e_);
        return *this;
    }
    ~unique_excepinfo() { reset(); }

    void reset() noexcept {
        ::SysFreeString(e_.bstrSource);
        ::SysFreeString(e_.bstrDescription);
        ::SysFreeString(e_.bstrHelpFile);
        e_ = EXCEPINFO{};
    }

    // A server may leave the texts for later: it then sets pfnDeferredFillIn, and only after that
    // call are the code and description valid. Done at most once.
    void fillDeferred() noexcept {
        if (auto fill = e_.pfnDeferredFillIn) {
            e_.pfnDeferredFillIn = nullptr;
            fill(&e_);
        }
    }

    const EXCEPINFO& get() const noexcept { return e_; }
    EXCEPINFO* addressof() noexcept { return &e_; }

  private:
    EXCEPINFO e_;
};

}  // namespace dravosk::win
