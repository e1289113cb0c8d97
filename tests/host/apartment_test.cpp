#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "host/com_service.h"

namespace dravosk::host {
namespace {

// Each case runs on a thread of its own, outside any apartment; it returns what CoInitializeEx
// answered at the checkpoints. GoogleTest's checks stay on the main thread.
template <typename F>
std::vector<HRESULT> onNewThread(F body) {
    std::vector<HRESULT> seen;
    std::thread([&] { body(seen); }).join();
    return seen;
}

TEST(ApartmentTest, LeavesOnlyTheApartmentItEntered) {
    // On its own it enters a single-threaded apartment and leaves it again.
    EXPECT_EQ(onNewThread([](auto& seen) {
                  {
                      Apartment apartment;
                      seen.push_back(::CoInitializeEx(nullptr, COINIT_MULTITHREADED));
                  }
                  seen.push_back(::CoInitializeEx(nullptr, COINIT_MULTITHREADED));
                  ::CoUninitialize();
              }),
              (std::vector<HRESULT>{RPC_E_CHANGED_MODE, S_OK}));

    // Nested in a single-threaded apartment (S_FALSE): still balanced, so one CoUninitialize
    // by the thread's owner leaves COM.
    EXPECT_EQ(onNewThread([](auto& seen) {
                  ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
                  { Apartment apartment; }
                  ::CoUninitialize();
                  seen.push_back(::CoInitializeEx(nullptr, COINIT_MULTITHREADED));
                  ::CoUninitialize();
              }),
              (std::vector<HRESULT>{S_OK}));

    // In the multithreaded apartment already: usable, and the apartment is not left.
    EXPECT_EQ(onNewThread([](auto& seen) {
                  ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
                  { Apartment apartment; }
                  seen.push_back(::CoInitializeEx(nullptr, COINIT_MULTITHREADED));
                  ::CoUninitialize();
                  ::CoUninitialize();
              }),
              (std::vector<HRESULT>{S_FALSE}));
}

}  // namespace
}  // namespace dravosk::host
