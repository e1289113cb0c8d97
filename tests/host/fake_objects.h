// Hand-written in-process automation objects for the binding's tests: members are looked up by
// name like a real server would, every call is recorded, and every object counts its references
// so a test can see that the binding released all it took.
#pragma once

#include <windows.h>
// ole2.h needs windows.h first
#include <ole2.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "win/com.h"

namespace dravosk::host::test {

// Fake objects alive in this process.
inline int liveObjects = 0;

template <class... Interfaces>
class RefCounted : public Interfaces... {
  public:
    RefCounted() { ++liveObjects; }
    virtual ~RefCounted() { --liveObjects; }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++refs_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const long left = --refs_;
        if (left == 0) {
            delete this;
        }
        return static_cast<ULONG>(left);
    }
    long references() const { return refs_; }

  private:
    long refs_ = 1;
};

// What one Invoke saw; the arguments copied in rgvarg order (last argument first).
struct Invocation {
    DISPID id;
    WORD flags;
    std::vector<VARIANT> rgvarg;
    bool resultAsked;
};

using Handler = std::function<HRESULT(DISPPARAMS& params, VARIANT* result, EXCEPINFO* excepinfo)>;

class FakeDispatch final : public RefCounted<IDispatch, ISupportErrorInfo> {
  public:
    // Members get DISPIDs 1, 2, ... in the order they are added, unless `id` is given.
    void add(const std::wstring& name, Handler handler, DISPID id = 0);
    void addValue(const std::wstring& name, std::function<void(VARIANT&)> fill, DISPID id = 0);
    // A property returning `object` (null for a null object reference).
    void addObject(const std::wstring& name, IDispatch* object, DISPID id = 0);
    // The default value (DISPID_VALUE), which has no name.
    void setDefaultValue(std::function<void(VARIANT&)> fill);

    std::map<std::wstring, int> lookups;  // GetIDsOfNames calls per name
    std::vector<Invocation> invocations;
    bool supportsErrorInfo = false;
    UINT badArgument = 0;  // reported through puArgErr with DISP_E_TYPEMISMATCH
    // The next `refusals` calls (GetIDsOfNames or Invoke) are answered with `refusal` and not run,
    // as a busy server's message filter does.
    int refusals = 0;
    HRESULT refusal = RPC_E_CALL_REJECTED;
    // What the caller's COM runtime makes of a refusal before the caller sees it (Windows asks
    // the caller's message filter); the refusal itself when not set.
    std::function<HRESULT(HRESULT refusal)> callersRuntime;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* excepinfo, UINT* argErr) override;
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override;

  private:
    std::map<std::wstring, DISPID> ids_;
    std::map<DISPID, Handler> handlers_;
};

// Shared with the test so the calls stay visible after the enumerator is gone.
struct EnumLog {
    std::vector<ULONG> requests;  // celt of every Next
    std::vector<HRESULT> answers;
};

class FakeEnum final : public RefCounted<IEnumVARIANT> {
  public:
    FakeEnum(std::vector<win::unique_variant>* items, std::shared_ptr<EnumLog> log);

    HRESULT failAfter = S_OK;  // returned by the Next after the first batch, when set
    bool emptyIsOk = false;    // answer S_OK (not S_FALSE) once nothing is left
    int refusals = 0;          // the next ones are refused, as FakeDispatch's
    HRESULT refusal = RPC_E_CALL_REJECTED;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    HRESULT STDMETHODCALLTYPE Next(ULONG celt, VARIANT* items, ULONG* fetched) override;
    HRESULT STDMETHODCALLTYPE Skip(ULONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reset() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT**) override { return E_NOTIMPL; }

  private:
    std::vector<win::unique_variant>* items_;
    std::shared_ptr<EnumLog> log_;
    std::size_t next_ = 0;
};

// Variant makers for the tests.
win::unique_variant variantOf(IDispatch* object);
win::unique_variant variantI4(std::int32_t value);
win::unique_variant variantText(const std::u16string& text);

}  // namespace dravosk::host::test
