// Walks a host collection through IEnumVARIANT, fetching its items in batches: across processes
// every Next is a round trip, so one item per call would make a large part program slow.
#pragma once

#include <windows.h>
// ole2.h needs windows.h first
#include <ole2.h>

#include <cstddef>
#include <memory>

#include "core/host.h"
#include "host/outgoing_calls.h"
#include "win/com_ptr.h"
#include "win/unique_variant_array.h"

namespace dravosk::host {

class DispatchEnumerator final : public HostEnumerator {
  public:
    static constexpr ULONG kBatchSize = 64;

    // `enumerator` must not be null. Next goes out through `calls` (a default one when null), and
    // so do the calls of the items.
    explicit DispatchEnumerator(win::com_ptr<IEnumVARIANT> enumerator,
                                std::shared_ptr<OutgoingCalls> calls = nullptr);
    // The items not taken and the enumerator go back to the host through the calls, watched.
    ~DispatchEnumerator() override;
    DispatchEnumerator(const DispatchEnumerator&) = delete;
    DispatchEnumerator& operator=(const DispatchEnumerator&) = delete;

    // Every item must be an object; anything else (a null object included) raises Error rather
    // than ending the walk early.
    HostObjectPtr next() override;

  private:
    void fetch();

    win::com_ptr<IEnumVARIANT> enumerator_;
    std::shared_ptr<OutgoingCalls> calls_;
    win::unique_variant_array batch_{kBatchSize};
    ULONG fetched_ = 0;
    ULONG taken_ = 0;
    bool exhausted_ = false;  // the enumerator has nothing after the current batch
    std::size_t position_ = 0;
};

}  // namespace dravosk::host
