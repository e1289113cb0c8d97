// A host object reached through IDispatch, its members looked up by name at the time of the call.
#pragma once

#include <windows.h>
// ole2.h needs windows.h first
#include <ole2.h>

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "core/host.h"
#include "host/outgoing_calls.h"
#include "win/com_ptr.h"
#include "win/unique_variant.h"

namespace dravosk::host {

class DispatchObject final : public HostObject {
  public:
    // `dispatch` must not be null. Every call goes out through `calls` (a default one when
    // null), and so do those of the objects and enumerators this one hands out.
    explicit DispatchObject(win::com_ptr<IDispatch> dispatch,
                            std::shared_ptr<OutgoingCalls> calls = nullptr);
    // The object goes back to the host through the calls, watched.
    ~DispatchObject() override;
    DispatchObject(const DispatchObject&) = delete;
    DispatchObject& operator=(const DispatchObject&) = delete;

    HostObjectPtr getObject(std::u16string_view member) override;
    bool getBool(std::u16string_view member) override;
    std::u16string getText(std::u16string_view member) override;
    void call(std::u16string_view member, std::span<const HostArg> args) override;
    HostEnumeratorPtr enumerate() override;
    // The object's IUnknown pointer, asked for once and held with the object: COM gives one
    // object the same IUnknown pointer for every QueryInterface, and no other object has it
    // while the reference is held.
    HostIdentity identity() override;

  private:
    DISPID dispid(const std::u16string& member);
    // Reads a property (DISPATCH_METHOD|DISPATCH_PROPERTYGET: hosts implement some as
    // parameterless methods); a value passed by reference is dereferenced.
    win::unique_variant get(DISPID id, const std::u16string& where);
    // `value` itself unless it holds an object; then that object's default value, asked once.
    win::unique_variant plainValue(win::unique_variant value, const std::u16string& where);

    win::com_ptr<IDispatch> dispatch_;
    std::shared_ptr<OutgoingCalls> calls_;
    win::com_ptr<IUnknown> identity_;  // null until identity() is first asked
    // DISPIDs are only valid for the object that handed them out, so the cache lives and dies with
    // this object and is never shared.
    std::unordered_map<std::u16string, DISPID> dispids_;
};

}  // namespace dravosk::host
