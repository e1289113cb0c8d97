// The command collection's standard enumerator: hands out command objects in the host's order, in
// batches of the size the client asks for.
#pragma once

#include <oaidl.h>

#include <cstddef>

#include "sim/server/server_state.h"
#include "win/com.h"

namespace dravosk::sim::server {

class CommandEnumerator final : public win::com_object<IEnumVARIANT>, private CountedObject {
  public:
    // Walks the commands 0 .. count-1, starting at `position`. The new object has one reference.
    CommandEnumerator(ServerState& state, std::size_t count, std::size_t position = 0)
        : CountedObject(state), count_(count), position_(position) {}
    HRESULT STDMETHODCALLTYPE Next(ULONG wanted, VARIANT* items, ULONG* fetched) override;
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override;
    HRESULT STDMETHODCALLTYPE Reset() override;
    HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** copy) override;

  private:
    ~CommandEnumerator() override = default;

    std::size_t count_;
    std::size_t position_;
};

}  // namespace dravosk::sim::server
