// A plain late-binding automation client for the server tests: names to DISPIDs, Invoke with
// arguments in call order, and owners for what comes back.
#pragma once

#include <oaidl.h>

#include <string>
#include <utility>
#include <vector>

#include "win/com_ptr.h"

namespace dravosk::sim::server::test {

template <class T>
using ComRef = win::com_ptr<T>;

// Owns one VARIANT.
class Variant {
  public:
    Variant() { VariantInit(&v_); }
    Variant(const Variant& other) {
        VariantInit(&v_);
        VariantCopy(&v_, const_cast<VARIANT*>(&other.v_));
    }
    Variant& operator=(const Variant&) = delete;
    Variant(Variant&& other) noexcept : v_(other.v_) { VariantInit(&other.v_); }
    Variant& operator=(Variant&& other) noexcept {
        std::swap(v_, other.v_);
        return *this;
    }
    ~Variant() { VariantClear(&v_); }

    static Variant i2(short value);
    static Variant i4(long value);
    static Variant r8(double value);
    static Variant text(const std::wstring& value);
    static Variant r8Ref(double* target);
    static Variant variantRef(VARIANT* target);

    VARIANT* get() { return &v_; }
    const VARIANT* operator->() const { return &v_; }
    VARTYPE type() const { return V_VT(&v_); }
    // The text of a VT_BSTR, every code unit.
    std::wstring bstr() const;
    // The object of a VT_DISPATCH (a new reference; null for Nothing).
    ComRef<IDispatch> object() const;

  private:
    VARIANT v_;
};

// Owns the strings of an EXCEPINFO.
struct ExceptionInfo {
    EXCEPINFO info{};
    ExceptionInfo() = default;
    ExceptionInfo(ExceptionInfo&& other) noexcept : info(std::exchange(other.info, EXCEPINFO{})) {}
    ExceptionInfo& operator=(ExceptionInfo&&) = delete;
    ~ExceptionInfo();
    std::wstring source() const;
    std::wstring description() const;
};

struct Outcome {
    HRESULT hr = E_FAIL;
    Variant value;
    ExceptionInfo exception;
    UINT argErr = static_cast<UINT>(-1);
};

// GetIDsOfNames for one name.
HRESULT dispidOf(IDispatch* object, const wchar_t* name, DISPID& id);
// Looks `name` up and invokes it with `args` in call order (they go into rgvarg reversed).
// When the name is unknown, hr is what GetIDsOfNames returned.
Outcome invoke(IDispatch* object, const wchar_t* name, WORD flags, std::vector<Variant> args = {});

// A property read that must succeed.
Variant get(IDispatch* object, const wchar_t* name);
// A property read that must give an object.
ComRef<IDispatch> getObject(IDispatch* object, const wchar_t* name);

}  // namespace dravosk::sim::server::test
