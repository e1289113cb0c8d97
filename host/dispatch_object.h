// A host object driven through IDispatch, members looked up by name when called, and a collection
// walked through IEnumVARIANT in batches: across processes each Next is a round trip.
#pragma once

#include <windows.h>
// ole2.h needs windows.h first
#include <ole2.h>

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "core/host.h"
#include "host/outgoing_calls.h"
#include "win/com.h"

namespace dravosk::host {

class DispatchObject final : public HostObject {
  public:
    // `dispatch` is not null; its calls, and those of all it hands out, go through `calls`.
    DispatchObject(HostRef<IDispatch> dispatch, std::shared_ptr<OutgoingCalls> calls);
    DispatchObject(const DispatchObject&) = delete;
    DispatchObject& operator=(const DispatchObject&) = delete;

    HostObjectPtr getObject(std::u16string_view member) override;
    bool getBool(std::u16string_view member) override;
    std::u16string getText(std::u16string_view member) override;
    void call(std::u16string_view member, std::span<const HostArg> args) override;
    HostEnumeratorPtr enumerate() override;
    // The IUnknown pointer, asked for once and held: COM gives an object the same IUnknown for
    // every QueryInterface, and no other object has it while the reference is held.
    HostIdentity identity() override;

  private:
    DISPID dispid(const std::u16string& member);
    // A property, dereferenced; asked with METHOD|PROPERTYGET, as hosts make some plain methods.
    HostValue get(DISPID id, const std::u16string& where);
    // Invoke, sent again while the host refuses it; raises the call's Error when it fails.
    void invoke(DISPID id, WORD flags, DISPPARAMS& params, HostValue* result,
                const std::u16string& where);
    // `value` (no object) as `type` by invariant rules; else Error naming what it was wanted `as`.
    win::unique_variant converted(HostValue& value, VARTYPE type, std::u16string_view as,
                                  const std::u16string& where);
    // `value` itself unless it holds an object; then that object's default value, asked once.
    HostValue plainValue(HostValue value, const std::u16string& where);

    std::shared_ptr<OutgoingCalls> calls_;  // first, so that it outlives what goes through it
    HostRef<IDispatch> dispatch_;
    HostRef<IUnknown> identity_;  // null until identity() is first asked; goes first
    // DISPIDs are valid only for the object that handed them out: the cache is this one's alone.
    std::unordered_map<std::u16string, DISPID> dispids_;
};

class DispatchEnumerator final : public HostEnumerator {
  public:
    static constexpr ULONG kBatchSize = 64;

    // `enumerator` is not null; Next, and the items' calls, go through `calls`.
    DispatchEnumerator(HostRef<IEnumVARIANT> enumerator, std::shared_ptr<OutgoingCalls> calls);
    ~DispatchEnumerator() override;
    DispatchEnumerator(const DispatchEnumerator&) = delete;
    DispatchEnumerator& operator=(const DispatchEnumerator&) = delete;

    // Every item must be an object; anything else, null included, raises Error, not an early end.
    HostObjectPtr next() override;

  private:
    void fetch();

    std::shared_ptr<OutgoingCalls> calls_;  // first, so that it outlives what goes through it
    HostRef<IEnumVARIANT> enumerator_;
    win::unique_variant_array batch_{kBatchSize};
    ULONG fetched_ = 0;
    ULONG taken_ = 0;
    bool exhausted_ = false;  // the enumerator has nothing after the current batch
    std::size_t position_ = 0;
};

}  // namespace dravosk::host
