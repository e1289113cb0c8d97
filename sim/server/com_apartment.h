// The main thread's single-threaded apartment, for the life of the object.
#pragma once

#include <objbase.h>

namespace dravosk::sim::server {

class ComApartment {
  public:
    ComApartment()
        : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ~ComApartment() {
        if (SUCCEEDED(result_)) {
            CoUninitialize();
        }
    }
    HRESULT result() const { return result_; }

  private:
    HRESULT result_;
};

}  // namespace dravosk::sim::server
