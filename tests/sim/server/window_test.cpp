// The server's window seen from another process: its list follows the part program, and a vector
// reversed through COM shows up reversed.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <functional>

#include <gtest/gtest.h>

#include "core/text.h"
#include "sim/server/class_id.h"
#include "tests/sim/server/dispatch_client.h"
#include "tests/sim/server/part_program.h"
#include "tests/support/korvane_sim.h"
#include "tests/support/korvane_sim_path.h"
#include "win/com.h"
#include "win/text.h"

namespace dravosk::sim::server::test {
namespace {

// Memory inside the server process, for list view messages that carry pointers.
class RemoteMemory {
  public:
    RemoteMemory(HANDLE process, std::size_t size)
        : process_(process),
          address_(VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE)) {}
    RemoteMemory(const RemoteMemory&) = delete;
    RemoteMemory& operator=(const RemoteMemory&) = delete;
    ~RemoteMemory() {
        if (address_) {
            VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
        }
    }
    char* get() const { return static_cast<char*>(address_); }

  private:
    HANDLE process_;
    void* address_;
};

std::wstring itemText(HANDLE process, HWND list, int row, int column) {
    constexpr int kChars = 512;
    RemoteMemory memory(process, sizeof(LVITEMW) + kChars * sizeof(wchar_t));
    if (!memory.get()) {
        return L"<no memory>";
    }
    LVITEMW item{};
    item.iSubItem = column;
    item.cchTextMax = kChars;
    item.pszText = reinterpret_cast<wchar_t*>(memory.get() + sizeof(LVITEMW));
    WriteProcessMemory(process, memory.get(), &item, sizeof item, nullptr);
    const auto length = static_cast<std::size_t>(SendMessageW(
        list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(memory.get())));
    std::wstring text(std::min<std::size_t>(length, kChars), L'\0');
    ReadProcessMemory(process, item.pszText, text.data(), text.size() * sizeof(wchar_t), nullptr);
    return text;
}

// Polls `condition` for up to five seconds: the window redraws from its own message loop.
bool eventually(const std::function<bool()>& condition) {
    for (int attempt = 0; attempt < 250; ++attempt) {
        if (condition()) {
            return true;
        }
        Sleep(20);
    }
    return condition();
}

TEST(ServerWindow, ListFollowsThePartProgramAndShowsReversedVectors) {
    ASSERT_EQ(dravosk::test::runServer(L"/regserver").exitCode, 0u);
    const dravosk::test::TempFile file(L"window.json");
    ASSERT_TRUE(file.write(kProgram));
    dravosk::test::SimServer server(dravosk::test::korvaneSimPath(), file.path(),
                                    L"korvane-sim-window-test",
                                    dravosk::test::SimServer::Window::shown);
    ASSERT_TRUE(server.ready());

    HWND window = nullptr;
    ASSERT_TRUE(eventually([&] {
        window = FindWindowW(L"KorvaneSimWindow", kDisplayName);
        return window != nullptr;
    }));
    HWND list = FindWindowExW(window, nullptr, WC_LISTVIEWW, nullptr);
    HWND summary = FindWindowExW(window, nullptr, L"Static", nullptr);
    ASSERT_TRUE(list && summary);
    const auto count = [&] { return SendMessageW(list, LVM_GETITEMCOUNT, 0, 0); };
    EXPECT_EQ(count(), 8);
    EXPECT_EQ(win::windowText(summary),
              L"Teileprogramm \u201EPr\u00FCfteil\u201C: 8 Befehle, davon 4 Merkmale");
    EXPECT_EQ(itemText(server.process(), list, 0, 1), L"P1");
    EXPECT_EQ(itemText(server.process(), list, 0, 3), L"(4, 5, 6)");
    EXPECT_EQ(itemText(server.process(), list, 1, 1), L"(Ausrichtung)");
    EXPECT_EQ(itemText(server.process(), list, 1, 3), L"");
    EXPECT_EQ(itemText(server.process(), list, 4, 1), L"A\u2400\u00DF");

    // Reversed through COM, as the tool does it.
    {
        // Left again however the block ends, after the references below are gone.
        const win::com_apartment apartment(COINIT_APARTMENTTHREADED);
        ASSERT_TRUE(SUCCEEDED(apartment.result()));
        IDispatch* raw = nullptr;
        ASSERT_EQ(CoCreateInstance(kClsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch,
                                   reinterpret_cast<void**>(&raw)),
                  S_OK);
        ComRef<IDispatch> app = ComRef<IDispatch>::attach(raw);
        ComRef<IDispatch> commands =
            getObject(getObject(app.get(), L"ActivePartProgram").get(), L"Commands");
        Outcome enumerator =
            invoke(commands.get(), L"_NewEnum", DISPATCH_METHOD | DISPATCH_PROPERTYGET);
        ASSERT_EQ(enumerator.value.vt(), VT_UNKNOWN);
        IEnumVARIANT* items = nullptr;
        ASSERT_EQ(V_UNKNOWN(&enumerator.value.get())
                      ->QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(&items)),
                  S_OK);
        ComRef<IEnumVARIANT> itemsRef = ComRef<IEnumVARIANT>::attach(items);
        win::unique_variant first;
        ASSERT_EQ(items->Next(1, first.addressof(), nullptr), S_OK);
        ComRef<IDispatch> p1 = getObject(objectOf(first).get(), L"FeatureCommand");
        ASSERT_EQ(invoke(p1.get(), L"PutVector", DISPATCH_METHOD,
                         {arg::i4(1), arg::i4(3), arg::r8(-4), arg::r8(-5), arg::r8(-0.0)})
                      .hr,
                  S_OK);
    }
    EXPECT_TRUE(eventually([&] {
        return itemText(server.process(), list, 0, 3) == L"(-4, -5, -0)";
    })) << "shown: "
        << toUtf8(win::u16(itemText(server.process(), list, 0, 3)));

    ASSERT_TRUE(server.control("no-program").ok);
    EXPECT_TRUE(eventually([&] { return count() == 0; }));
    EXPECT_EQ(win::windowText(summary), L"Kein Teileprogramm ge\u00F6ffnet");
    ASSERT_TRUE(server.control("load " + file.utf8Path()).ok);
    EXPECT_TRUE(eventually([&] { return count() == 8; }));
    EXPECT_EQ(itemText(server.process(), list, 0, 3), L"(4, 5, 6)");
}

}  // namespace
}  // namespace dravosk::sim::server::test
