// Told by the host binding when a call to the host goes out and when it comes back, so the window
// can watch for a host that does not answer.
#pragma once

#include <string_view>

namespace dravosk {

class CallObserver {
  public:
    virtual ~CallObserver() = default;
    // `member` names the call exactly as an error at it would (e.g. "PutVector", "_NewEnum",
    // "IEnumVARIANT::Next"); the text stays valid until callEnded. A call the host refused and
    // that is sent again starts anew each time.
    virtual void callStarted(std::u16string_view member) noexcept = 0;
    virtual void callEnded() noexcept = 0;
};

}  // namespace dravosk
