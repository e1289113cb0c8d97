// Owns one handle of a kind described by `Traits` (what counts as none, how it is closed), in the
// manner of the unique_* owners the platform's own helper libraries offer: closed exactly once,
// movable, never copied.
#pragma once

#include <utility>

namespace dravosk::win {

// The traits of a kind whose only invalid value is null and which `Close` releases.
template <class Handle, auto Close>
struct CloseTraits {
    using pointer = Handle;
    static pointer normalize(pointer h) noexcept { return h; }
    static void close(pointer h) noexcept { Close(h); }
};

template <class Traits>
class unique_any {
  public:
    using pointer = typename Traits::pointer;

    unique_any() noexcept = default;
    // Takes the handle as the creating call returned it; the kind's invalid value counts as none.
    explicit unique_any(pointer h) noexcept : h_(Traits::normalize(h)) {}
    unique_any(const unique_any&) = delete;
    unique_any& operator=(const unique_any&) = delete;
    unique_any(unique_any&& other) noexcept : h_(std::exchange(other.h_, nullptr)) {}
    unique_any& operator=(unique_any&& other) noexcept {
        reset(other.release());
        return *this;
    }
    ~unique_any() { reset(); }

    // Closes the handle held so far (if any) and takes `h`.
    void reset(pointer h = nullptr) noexcept {
        if (pointer old = std::exchange(h_, Traits::normalize(h))) {
            Traits::close(old);
        }
    }
    [[nodiscard]] pointer release() noexcept { return std::exchange(h_, nullptr); }
    pointer get() const noexcept { return h_; }
    explicit operator bool() const noexcept { return h_ != nullptr; }
    // For out-parameters: closes the old handle first.
    pointer* put() noexcept {
        reset();
        return &h_;
    }

  private:
    pointer h_ = nullptr;
};

}  // namespace dravosk::win
