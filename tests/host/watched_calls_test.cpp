// A host that stops answering can do so in any call, the release of an object included: the
// binding makes every one of them where the watch hears it, and a release made while a failure
// unwinds waits until the failure was reported.
#include <stdexcept>

#include "host/outgoing_calls.h"
#include "tests/host/binding_fixture.h"
#include "win/message_queue.h"

namespace dravosk::host::test {
namespace {

using WatchedCallsTest = HeardBindingTest;

TEST_F(WatchedCallsTest, ReleasesAndQueryInterfaceAreCallsTheWatchHears) {
    FakeDispatch* feature = make();
    FakeDispatch* command = make();
    // An object handed out as IUnknown: asking it for IDispatch is a call to its process.
    command->addValue(L"FeatureCommand", [feature](VARIANT& v) {
        v.vt = VT_UNKNOWN;
        v.punkVal = static_cast<IDispatch*>(feature);
        feature->AddRef();
    });
    {
        HostObjectPtr wrapped = wrap(command);
        HostObjectPtr got = wrapped->getObject(u"FeatureCommand");
        ASSERT_NE(got, nullptr);
        EXPECT_EQ(log.count(u"QueryInterface"), 1);
        EXPECT_EQ(log.count(u"Release"), 1) << "the value's own reference";
    }
    // Then the feature object's and the command's: each one a watched call.
    EXPECT_EQ(log.count(u"Release"), 3);
    EXPECT_EQ(log.open, 0);
    expectAllReleased();
}

TEST_F(WatchedCallsTest, WhatAFailureUnwindsIsReleasedOnlyAfterwards) {
    FakeDispatch* object = make();
    object->add(L"PutVector", [](DISPPARAMS&, VARIANT*, EXCEPINFO*) { return E_FAIL; });
    try {
        HostObjectPtr wrapped = wrap(object);
        wrapped->call(u"PutVector", {});
        FAIL() << "the call fails";
    } catch (const Error&) {
        // The report would be shown here: the host still holds nothing back from it.
        EXPECT_EQ(log.count(u"Release"), 0);
        EXPECT_EQ(object->references(), 2) << "kept for later, not released";
    }
    calls_->releaseDeferred();
    EXPECT_EQ(log.count(u"Release"), 1);
    EXPECT_EQ(log.open, 0);
    expectAllReleased();

    // The same for what a value refused while the failure unwinds holds: here an object whose
    // default value is an object again, which the binding does not ask a second time.
    FakeDispatch* endless = make();
    endless->setDefaultValue([endless](VARIANT& v) {
        v.vt = VT_DISPATCH;
        v.pdispVal = endless;
        endless->AddRef();
    });
    object->addValue(L"Value", [endless](VARIANT& v) {
        v.vt = VT_DISPATCH;
        v.pdispVal = endless;
        endless->AddRef();
    });
    try {
        HostObjectPtr wrapped = wrap(object);
        wrapped->getBool(u"Value");
        FAIL() << "an object again is a mismatch";
    } catch (const Error&) {
        EXPECT_EQ(endless->references(), 3) << "the value and its default value, both kept";
    }
    const long long released = log.count(u"Release");
    calls_->releaseDeferred();
    EXPECT_EQ(log.count(u"Release"), released + 3) << "the two values and the object";
    expectAllReleased();

    // The same for a failure that is not the tool's own.
    try {
        HostObjectPtr wrapped = wrap(object);
        throw std::runtime_error("anything");
    } catch (const std::exception&) {
        EXPECT_EQ(object->references(), 2);
    }
    calls_->releaseDeferred();
    expectAllReleased();
}

// The pause before a refused call is sent again keeps the window painting, but no click, key,
// tap or pen stroke reaches it: they stay queued, and only they are thrown away at the command's
// end.
TEST(WaitDispatching, HandlesEveryMessageButKeyboardAndMouseInput) {
    const DWORD thread = ::GetCurrentThreadId();
    // WM_POINTERDOWN (Windows 8) is not declared for Windows 7, the headers' setting.
    constexpr UINT kPointerDown = 0x0246;
    const UINT inputs[] = {WM_LBUTTONDOWN, WM_KEYDOWN, WM_NCLBUTTONDOWN,
                           WM_TOUCH,       WM_GESTURE, kPointerDown};
    for (const UINT input : inputs) {
        ::PostThreadMessageW(thread, input, 0, 0);
    }
    ::PostThreadMessageW(thread, WM_APP, 0, 0);
    waitDispatching(std::chrono::milliseconds(50));
    MSG message;
    EXPECT_FALSE(::PeekMessageW(&message, nullptr, WM_APP, WM_APP, PM_NOREMOVE)) << "handled";
    for (const UINT input : inputs) {
        EXPECT_TRUE(::PeekMessageW(&message, nullptr, input, input, PM_NOREMOVE)) << input;
    }

    ::PostThreadMessageW(thread, WM_APP, 0, 0);
    win::discardQueuedInput();
    for (const UINT input : inputs) {
        EXPECT_FALSE(::PeekMessageW(&message, nullptr, input, input, PM_NOREMOVE)) << input;
    }
    EXPECT_TRUE(::PeekMessageW(&message, nullptr, WM_APP, WM_APP, PM_REMOVE)) << "the rest stays";
}

}  // namespace
}  // namespace dravosk::host::test
