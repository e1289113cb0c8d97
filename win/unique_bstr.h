// Owns one BSTR. Texts cross into and out of COM with their full length (SysStringLen), so
// embedded NUL characters survive both ways.
#pragma once

#include <windows.h>
// ole2.h needs windows.h first
#include <ole2.h>

#include <string>
#include <new>
#include <string_view>
#include <utility>

namespace dravosk::win {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "BSTR code units are UTF-16");

class unique_bstr {
  public:
    unique_bstr() noexcept = default;
    // Throws std::bad_alloc when the system allocator has no room, like any other allocation.
    explicit unique_bstr(std::u16string_view text);
    unique_bstr(const unique_bstr&) = delete;
    unique_bstr& operator=(const unique_bstr&) = delete;
    unique_bstr(unique_bstr&& other) noexcept : s_(std::exchange(other.s_, nullptr)) {}
    unique_bstr& operator=(unique_bstr&& other) noexcept {
        std::swap(s_, other.s_);
        return *this;
    }
    ~unique_bstr() { reset(); }

    void reset() noexcept { ::SysFreeString(std::exchange(s_, nullptr)); }
    BSTR get() const noexcept { return s_; }
    BSTR* put() noexcept {
        reset();
        return &s_;
    }
    [[nodiscard]] BSTR release() noexcept { return std::exchange(s_, nullptr); }

    // The whole string; a null BSTR is the empty text, as COM defines it.
    std::u16string text() const { return textOf(s_); }
    static std::u16string textOf(BSTR s);

  private:
    BSTR s_ = nullptr;
};

inline unique_bstr::unique_bstr(std::u16string_view text) {
    s_ = ::SysAllocStringLen(text.empty() ? L"" : reinterpret_cast<const OLECHAR*>(text.data()),
                             static_cast<UINT>(text.size()));
    if (!s_) {
        throw std::bad_alloc();
    }
}

inline std::u16string unique_bstr::textOf(BSTR s) {
    const UINT length = ::SysStringLen(s);
    return std::u16string(s, s + length);
}

}  // namespace dravosk::win
