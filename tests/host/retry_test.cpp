#include <algorithm>
#include <climits>
#include <memory>
#include <numeric>

#include "host/com_service.h"
#include "host/outgoing_calls.h"
#include "tests/host/binding_fixture.h"

namespace dravosk::host::test {
namespace {

// The fixture's clock moves only when the binding pauses, so these tests see the schedule without
// waiting for it.
class RetryTest : public HeardBindingTest {
  protected:
    long long count(const std::u16string& member) const { return log.count(member); }
};

TEST_F(RetryTest, EveryKindOfRefusedCallIsSentAgainAfterGrowingPauses) {
    FakeDispatch* item = make();
    item->addValue(L"ID", [](VARIANT& v) {
        v.vt = VT_BSTR;
        v.bstrVal = ::SysAllocString(L"B1");
    });
    item->add(L"PutVector", [](DISPPARAMS&, VARIANT*, EXCEPINFO*) { return S_OK; });
    std::vector<win::unique_variant> items;
    items.push_back(variantOf(item));
    auto enumLog = std::make_shared<EnumLog>();
    FakeDispatch* c = collection(items, enumLog, [](FakeEnum& e) {
        e.refusals = 2;
        e.refusal = RPC_E_SERVERCALL_RETRYLATER;
    });
    c->refusals = 1;
    {
        HostObjectPtr commands = wrap(c);
        HostEnumeratorPtr walk = commands->enumerate();  // _NewEnum: refused once
        HostObjectPtr first = walk->next();              // Next: refused twice ("retry later")
        ASSERT_NE(first, nullptr);
        item->refusals = 6;  // the look-up of ID
        EXPECT_EQ(first->getText(u"ID"), u"B1");
        item->refusals = 1;  // the property get
        EXPECT_EQ(first->getText(u"ID"), u"B1");
        const HostArg put[] = {1, 2, 1.0, 2.0, 3.0};
        first->call(u"PutVector", put);
        item->refusals = 1;  // the method call
        first->call(u"PutVector", put);
        EXPECT_EQ(walk->next(), nullptr);
    }
    items.clear();
    EXPECT_EQ(pauses_,
              (std::vector<long long>{100, 100, 200, 100, 200, 400, 800, 1000, 1000, 100, 100}));
    EXPECT_EQ(enumLog->requests.size(), 1u) << "a refused Next was not run";
    EXPECT_EQ(count(u"_NewEnum"), 2);
    EXPECT_EQ(count(u"IEnumVARIANT::Next"), 3);
    EXPECT_EQ(count(u"PutVector"), 3 + 1) << "look-up, two calls, one refusal";
    EXPECT_EQ(log.open, 0) << "every start has its end";
}

TEST_F(RetryTest, ARefusalAfterTheLimitFailsAndOtherFailuresAreNotSentAgain) {
    FakeDispatch* object = make();
    object->addValue(L"ID", [](VARIANT& v) { v.vt = VT_EMPTY; });
    HostObjectPtr wrapped = wrap(object);
    object->refusals = INT_MAX;
    const Error refused = failure([&] { wrapped->getText(u"ID"); });
    EXPECT_EQ(refused.number(), static_cast<std::int32_t>(RPC_E_CALL_REJECTED));
    EXPECT_EQ(refused.where(), u"ID");
    EXPECT_EQ(std::accumulate(pauses_.begin(), pauses_.end(), 0LL), 60'000);
    EXPECT_EQ(pauses_.size(), 4u + 58u + 1u);
    EXPECT_EQ(pauses_.back(), 500) << "the last attempt falls on the limit";
    EXPECT_EQ(count(u"ID"), 4 + 58 + 1 + 1);

    pauses_.clear();
    object->refusals = 1;
    object->refusal = RPC_E_DISCONNECTED;
    EXPECT_EQ(failure([&] { wrapped->getText(u"ID"); }).number(),
              static_cast<std::int32_t>(RPC_E_DISCONNECTED));
    EXPECT_TRUE(pauses_.empty());
}

// Windows asks the registered message filter about every refused call and sends the call again
// itself for as long as the filter answers with a pause; only -1 hands the refusal back to the
// caller. Driven here as Windows drives it, the filter hands every refusal back at once, so the
// binding's schedule is the only one and a host that stays busy is given up on after 60 s, not
// after the filter's minute and then the binding's.
TEST_F(RetryTest, WhereTheRuntimeAsksTheFilterTheBindingsScheduleIsTheOnlyOne) {
    const MessageFilterRegistration registration;
    win::com_ptr<IMessageFilter> filter;  // the registered one, as the runtime holds it
    ASSERT_EQ(::CoRegisterMessageFilter(nullptr, filter.put()), S_OK);
    ASSERT_TRUE(filter);
    win::com_ptr<IMessageFilter> none;
    ASSERT_EQ(::CoRegisterMessageFilter(filter.get(), none.put()), S_OK);

    FakeDispatch* object = make();
    object->addValue(L"ID", [](VARIANT& v) { v.vt = VT_EMPTY; });
    HostObjectPtr wrapped = wrap(object);
    int resentByRuntime = 0;
    object->callersRuntime = [&](HRESULT) {
        // dwTickCount: the time since the call was first sent, in GetTickCount steps.
        for (DWORD elapsed = 0;;) {
            const DWORD answer = filter->RetryRejectedCall(nullptr, elapsed, SERVERCALL_REJECTED);
            if (answer == static_cast<DWORD>(-1)) {
                return RPC_E_CALL_REJECTED;
            }
            // The runtime waits (at least a moment) and sends the call again; the host refuses.
            const DWORD pause = answer < 100 ? 16 : answer;
            now_ += std::chrono::milliseconds(pause);
            elapsed += pause;
            ++resentByRuntime;
        }
    };
    object->refusals = INT_MAX;
    const auto start = now_;
    EXPECT_EQ(failure([&] { wrapped->getText(u"ID"); }).number(),
              static_cast<std::int32_t>(RPC_E_CALL_REJECTED));
    EXPECT_EQ(now_ - start, std::chrono::milliseconds(60'000)) << "the time a busy host is given";
    EXPECT_EQ(resentByRuntime, 0) << "the runtime never resends on the filter's word";
    EXPECT_GE(*std::min_element(pauses_.begin(), pauses_.end()), 100) << "no burst of retries";

    // Anything else the filter is asked is answered the same way.
    EXPECT_EQ(filter->RetryRejectedCall(nullptr, 0, SERVERCALL_RETRYLATER), static_cast<DWORD>(-1));
    EXPECT_EQ(filter->MessagePending(nullptr, 5000, PENDINGTYPE_TOPLEVEL),
              static_cast<DWORD>(PENDINGMSG_WAITDEFPROCESS));
}

}  // namespace
}  // namespace dravosk::host::test
