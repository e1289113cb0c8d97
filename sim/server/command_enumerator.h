// The command collection's standard enumerator: hands out command objects in the host's order, in
// batches of the size the client asks for.
#pragma once

#include <oaidl.h>

#include <cstddef>

#include "sim/server/server_state.h"

namespace dravosk::sim::server {

class CommandEnumerator final : public IEnumVARIANT, private CountedObject {
  public:
    // Walks the commands 0 .. count-1, starting at `position`. The new object has one reference.
    CommandEnumerator(ServerState& state, std::size_t count, std::size_t position = 0)
        : CountedObject(state), count_(count), position_(position) {}
    CommandEnumerator(const CommandEnumerator&) = delete;
    CommandEnumerator& operator=(const CommandEnumerator&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE Next(ULONG wanted, VARIANT* items, ULONG* fetched) override;
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override;
    HRESULT STDMETHODCALLTYPE Reset() override;
    HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** copy) override;

  private:
    ~CommandEnumerator() = default;

    std::size_t count_;
    std::size_t position_;
    LONG references_ = 1;
};

}  // namespace dravosk::sim::server
