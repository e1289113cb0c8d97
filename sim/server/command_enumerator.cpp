#include "sim/server/command_enumerator.h"

#include <oleauto.h>

#include <algorithm>
#include <new>

#include "sim/server/host_objects.h"

namespace dravosk::sim::server {

HRESULT CommandEnumerator::Next(ULONG wanted, VARIANT* items, ULONG* fetched) {
    state_.countRoundTrip("Next", {});
    if (fetched) {
        *fetched = 0;
    }
    if (wanted == 0) {
        return S_OK;
    }
    if (!items || (!fetched && wanted > 1)) {
        return E_POINTER;
    }
    ULONG done = 0;
    try {
        for (; done < wanted && position_ < count_; ++done, ++position_) {
            VariantInit(&items[done]);
            V_VT(&items[done]) = VT_DISPATCH;
            V_DISPATCH(&items[done]) = newHostObject(state_, ObjectRef{Kind::command, position_});
        }
    } catch (const std::bad_alloc&) {
        // Hand out all or nothing: take back what this call had filled.
        for (ULONG i = 0; i < done; ++i) {
            VariantClear(&items[i]);
        }
        position_ -= done;
        return E_OUTOFMEMORY;
    }
    if (fetched) {
        *fetched = done;
    }
    return done == wanted ? S_OK : S_FALSE;
}

HRESULT CommandEnumerator::Skip(ULONG count) {
    state_.countRoundTrip("Skip", {});
    // ULONG is as wide as std::size_t only in a 64-bit program; adding the two there could wrap.
    const std::size_t at = std::min(position_, count_);
    const std::size_t left = count_ - at;
    position_ = at + std::min<std::size_t>(left, count);
    return count <= left ? S_OK : S_FALSE;
}

HRESULT CommandEnumerator::Reset() {
    state_.countRoundTrip("Reset", {});
    position_ = 0;
    return S_OK;
}

HRESULT CommandEnumerator::Clone(IEnumVARIANT** copy) {
    state_.countRoundTrip("Clone", {});
    if (!copy) {
        return E_POINTER;
    }
    *copy = nullptr;
    try {
        *copy = new CommandEnumerator(state_, count_, position_);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

}  // namespace dravosk::sim::server
