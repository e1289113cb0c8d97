// The calling thread's COM apartment for the life of the object.
#pragma once

#include <objbase.h>

namespace dravosk::win {

class com_apartment {
  public:
    // CoInitializeEx with `flags`; result() says how that went. A thread already in another
    // apartment gets RPC_E_CHANGED_MODE and stays where it is.
    explicit com_apartment(DWORD flags) : result_(::CoInitializeEx(nullptr, flags)) {}
    com_apartment(const com_apartment&) = delete;
    com_apartment& operator=(const com_apartment&) = delete;
    // Leaves only an apartment this object entered (S_OK and S_FALSE both must be balanced).
    ~com_apartment() {
        if (SUCCEEDED(result_)) {
            ::CoUninitialize();
        }
    }

    HRESULT result() const noexcept { return result_; }

  private:
    HRESULT result_;
};

}  // namespace dravosk::win
