// Set-up shared by the binding's tests: an apartment, fake objects the test holds one reference
// to each, and checks that the binding gave back every reference it took.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "core/host.h"
#include "core/error.h"
#include "host/com_service.h"
#include "host/dispatch_object.h"
#include "host/outgoing_calls.h"
#include "tests/host/fake_objects.h"
#include "tests/support/failure.h"

namespace dravosk::host::test {

using dravosk::test::failure;

// Hears the binding's calls: every member as it goes out, and how many are out now.
struct CallLog final : CallObserver {
    std::vector<std::u16string> started;
    int open = 0;
    void callStarted(std::u16string_view member) noexcept override {
        started.emplace_back(member);
        ++open;
    }
    void callEnded() noexcept override { --open; }
    long long count(std::u16string_view member) const {
        return std::count(started.begin(), started.end(), member);
    }
};

class BindingTest : public ::testing::Test {
  protected:
    FakeDispatch* make() {
        auto* object = new FakeDispatch;
        held_.push_back(win::com_ptr<FakeDispatch>::attach(object));
        return object;
    }
    HostObjectPtr wrap(FakeDispatch* object) {
        return std::make_unique<DispatchObject>(HostRef<IDispatch>(object, *calls_), calls_);
    }

    // A collection whose _NewEnum hands out a new enumerator over `items` each time.
    FakeDispatch* collection(std::vector<win::unique_variant>& items, std::shared_ptr<EnumLog> log,
                             std::function<void(FakeEnum&)> configure = {}) {
        FakeDispatch* c = make();
        c->add(
            L"_NewEnum",
            [&items, log, configure](DISPPARAMS&, VARIANT* result, EXCEPINFO*) {
                auto* e = new FakeEnum(&items, log);
                if (configure) {
                    configure(*e);
                }
                result->vt = VT_UNKNOWN;
                result->punkVal = e;  // the caller takes our one reference
                return S_OK;
            },
            DISPID_NEWENUM);
        return c;
    }

    // True when nothing but the test itself holds a fake object: one reference each, plus
    // `heldElsewhere` that the test keeps in values of its own. What a failure left for later
    // is released first, as the window does once the failure is reported.
    void expectAllReleased(long heldElsewhere = 0) const {
        calls_->releaseDeferred();
        long extra = -heldElsewhere;
        for (const auto& object : held_) {
            extra += object->references() - 1;
        }
        EXPECT_EQ(extra, 0) << "references the binding kept";
        EXPECT_EQ(liveObjects, static_cast<int>(held_.size())) << "fake objects still alive";
    }

    void TearDown() override {
        expectAllReleased();
        held_.clear();
        EXPECT_EQ(liveObjects, 0);
    }

    Apartment apartment_;
    std::vector<win::com_ptr<FakeDispatch>> held_;

    // The binding's calls go out through a clock that moves only when the binding pauses for a
    // refused call, so no test waits.
    std::chrono::steady_clock::time_point now_{};
    std::vector<long long> pauses_;  // in ms, as asked for
    std::shared_ptr<OutgoingCalls> calls_ =
        std::make_shared<OutgoingCalls>([this] { return now_; },
                                        [this](std::chrono::milliseconds pause) {
                                            pauses_.push_back(pause.count());
                                            now_ += pause;
                                        });
};

// A binding test that hears every call the binding makes.
class HeardBindingTest : public BindingTest {
  protected:
    HeardBindingTest() { calls_->setObserver(&log); }
    ~HeardBindingTest() override { calls_->setObserver(nullptr); }

    CallLog log;
};

}  // namespace dravosk::host::test
