// Owns a kernel handle (file, pipe, event, process, thread) and closes it once.
#pragma once

#include <windows.h>

#include <utility>

namespace dravosk::sim::server {

class UniqueHandle {
  public:
    UniqueHandle() noexcept = default;
    // Takes a handle as CreateFile and friends return it; INVALID_HANDLE_VALUE counts as none.
    explicit UniqueHandle(HANDLE h) noexcept : h_(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
    UniqueHandle(UniqueHandle&& other) noexcept : h_(std::exchange(other.h_, nullptr)) {}
    UniqueHandle& operator=(UniqueHandle other) noexcept {
        std::swap(h_, other.h_);
        return *this;
    }
    ~UniqueHandle() { reset(); }

    void reset() noexcept {
        if (HANDLE h = std::exchange(h_, nullptr)) {
            CloseHandle(h);
        }
    }
    HANDLE get() const noexcept { return h_; }
    explicit operator bool() const noexcept { return h_ != nullptr; }

  private:
    HANDLE h_ = nullptr;
};

}  // namespace dravosk::sim::server
