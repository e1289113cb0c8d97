// The IUnknown and IDispatch plumbing that every host object of the server shares: reference
// counting, names to DISPIDs, checking the call form, and turning the model's errors into what
// an automation client expects. Each object kind supplies its members and runs them.
#pragma once

#include <oaidl.h>

#include <span>
#include <string_view>

#include "core/error.h"
#include "sim/model.h"
#include "sim/server/server_state.h"
#include "sim/server/variant_conversion.h"
#include "win/com.h"

namespace dravosk::sim::server {

class ServedObject : public win::com_object<IDispatch>, protected CountedObject {
  public:
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags,
                                     DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                     UINT* argErr) override;
    // The last reference a client gives back arrives through the stub like any call, so it can
    // be held like one ("hang Release N" holds the Nth object given up from now).
    ULONG STDMETHODCALLTYPE Release() override;

  protected:
    // How a member may be called: a property is read with DISPATCH_PROPERTYGET (alone or together
    // with DISPATCH_METHOD) and takes no arguments; a method needs DISPATCH_METHOD; the
    // enumerator is fetched either way.
    enum class Form { property, method, enumerator };
    struct Member {
        std::u16string_view name;
        DISPID id;
        Form form;
    };

    // `members` must outlive the object (the kinds keep them in static tables).
    ServedObject(ServerState& state, ObjectRef ref, std::span<const Member> members);
    ~ServedObject() override = default;

    // Runs `member`; the call form is already checked. Writes the result into the empty
    // `result`. Throws dravosk::Error (the model's) or DispatchFailure.
    virtual void run(const Member& member, const Arguments& args, VARIANT* result) = 0;

    // Reads the property `member` from the model into `result`.
    void getProperty(const Member& member, VARIANT* result);

    const ObjectRef ref_;

  private:
    const Member* find(DISPID id) const;
    const Member* find(const wchar_t* name) const;

    std::span<const Member> members_;
};

// A dravosk::Error from the model as Invoke reports it: the dispatch layer's own numbers
// directly, everything else as DISP_E_EXCEPTION with a complete EXCEPINFO (no deferred fill-in).
HRESULT reportError(const Error& error, EXCEPINFO* exception);

}  // namespace dravosk::sim::server
