#include "host/dispatch_enumerator.h"

#include <string>
#include <utility>

#include "core/error.h"
#include "core/text.h"
#include "host/com_error.h"
#include "host/dispatch_object.h"
#include "host/variant_object.h"

namespace dravosk::host {

namespace {

constexpr std::u16string_view kWhere = u"IEnumVARIANT::Next";

}  // namespace

DispatchEnumerator::DispatchEnumerator(win::com_ptr<IEnumVARIANT> enumerator,
                                       std::shared_ptr<OutgoingCalls> calls)
    : enumerator_(std::move(enumerator)),
      calls_(calls ? std::move(calls) : std::make_shared<OutgoingCalls>()) {}

DispatchEnumerator::~DispatchEnumerator() {
    for (std::size_t i = 0; i < batch_.size(); ++i) {
        calls_->clear(batch_[i]);
    }
    calls_->release(enumerator_.detach());
}

void DispatchEnumerator::fetch() {
    fetched_ = taken_ = 0;
    ULONG fetched = 0;
    const HRESULT hr = calls_->make(kWhere, [&] {
        batch_.reset();
        fetched = 0;
        return enumerator_->Next(kBatchSize, batch_.data(), &fetched);
    });
    if (FAILED(hr)) {
        throw errorFromCall(*calls_, hr, std::u16string(kWhere), enumerator_.get(),
                            IID_IEnumVARIANT);
    }
    if (fetched > kBatchSize) {
        throw Error(static_cast<std::int32_t>(E_UNEXPECTED),
                    u"Der Enumerator meldete mehr Elemente, als verlangt waren.",
                    std::u16string(kWhere));
    }
    // Next answers S_OK only with every item asked for, and S_FALSE with fewer, down to none, at
    // the end. S_OK with none is neither an item nor the end: taken as the end, it would cut the
    // walk short and let a Write that stopped half way pass as done. S_OK with some but fewer
    // is not the end either: the items are taken and the enumerator is asked again.
    if (hr == S_OK && fetched == 0) {
        throw Error(static_cast<std::int32_t>(E_UNEXPECTED),
                    u"Der Enumerator meldete Erfolg (S_OK), lieferte aber kein Element (Element " +
                        decimal(position_ + 1) + u" der Auflistung).",
                    std::u16string(kWhere));
    }
    fetched_ = fetched;
    exhausted_ = hr != S_OK;
}

HostObjectPtr DispatchEnumerator::next() {
    if (taken_ == fetched_) {
        if (exhausted_) {
            return nullptr;
        }
        fetch();
        if (fetched_ == 0) {
            return nullptr;
        }
    }
    VARIANT& item = batch_[taken_++];
    ++position_;
    win::com_ptr<IDispatch> object;
    const HRESULT hr = dispatchOf(item, object, *calls_);
    if (SUCCEEDED(hr) && !object) {
        // A null item must not pass for the end of the collection: the rest would go unseen.
        throw Error(static_cast<std::int32_t>(DISP_E_TYPEMISMATCH),
                    u"Typen unverträglich: Element " + decimal(position_) +
                        u" der Auflistung ist kein Objekt, sondern leer (" +
                        describeVarType(item.vt) + u").",
                    std::u16string(kWhere));
    }
    if (hr == DISP_E_TYPEMISMATCH) {
        throw Error(static_cast<std::int32_t>(hr),
                    u"Typen unverträglich: Element " + decimal(position_) +
                        u" der Auflistung ist kein Objekt, sondern " + describeVarType(item.vt) +
                        u".",
                    std::u16string(kWhere));
    }
    if (FAILED(hr)) {
        throw errorFromCall(*calls_, hr, std::u16string(kWhere), nullptr, IID_NULL, nullptr,
                            u"Element " + decimal(position_));
    }
    // The batch's reference goes now; the new object holds its own.
    calls_->clear(item);
    return std::make_unique<DispatchObject>(std::move(object), calls_);
}

}  // namespace dravosk::host
