#include <gtest/gtest.h>

#include <fstream>
#include <optional>
#include <string>

#include "tests/ui/windows_release.h"
#include "win/system_functions.h"

namespace dravosk::ui {
namespace {

using win::WindowsRelease;

std::wstring besideThisProgram(const wchar_t* name) {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    return folder.substr(0, folder.find_last_of(L'\\') + 1) + name;
}

void plant(const std::wstring& path) {
    std::ofstream(path.c_str(), std::ios::binary) << "not a program file";
}

// With the search flags of Windows 8 (and of Windows 7 with KB2533623), and without them, by the
// full path in the system folder.
class ThemeApiTest : public ::testing::TestWithParam<WindowsRelease> {
  protected:
    void SetUp() override { win::pretendWindowsRelease(GetParam()); }
    void TearDown() override { win::pretendWindowsRelease(WindowsRelease::newest); }
};

TEST_P(ThemeApiTest, ComesFromTheSystemFolder) {
    EXPECT_TRUE(win::loadThemeFunctions());
}

// A DLL planted beside the program is never even looked at: the load ends with "module not found"
// rather than with an attempt to map the planted file.
TEST_P(ThemeApiTest, IgnoresADllBesideTheProgramAndDrawsWithoutTheme) {
    const std::wstring planted = besideThisProgram(L"dravosk-planted-theme.dll");
    plant(planted);
    SetLastError(ERROR_SUCCESS);
    const std::optional<win::ThemeFunctions> themes =
        win::loadThemeFunctions(L"dravosk-planted-theme.dll");
    const DWORD error = GetLastError();
    DeleteFileW(planted.c_str());

    EXPECT_EQ(error, DWORD{ERROR_MOD_NOT_FOUND});
    // Without the functions every window counts as unthemed: the classic face is drawn.
    EXPECT_FALSE(themes);
}

// A path would lead the load out of the system folder.
TEST_P(ThemeApiTest, OnlyABareFileNameIsLoaded) {
    wchar_t system[MAX_PATH];
    const UINT length = GetSystemDirectoryW(system, MAX_PATH);
    ASSERT_GT(length, 0u);
    for (const std::wstring& name :
         {std::wstring(system, length) + L"\\uxtheme.dll", std::wstring(L"..\\uxtheme.dll"),
          std::wstring(L"sub/uxtheme.dll"), std::wstring()}) {
        SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(win::loadSystemLibrary(name.c_str()), nullptr) << name;
        EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_PARAMETER}) << name;
    }
}

INSTANTIATE_TEST_SUITE_P(Releases, ThemeApiTest,
                         ::testing::Values(WindowsRelease::newest, WindowsRelease::windows7),
                         win::testName);

// Windows 7 without KB2533623 cannot restrict the search to the system folder; what it can do is
// take the current folder out of it, where an opened document's folder would plant a DLL: Windows
// does that for a DLL folder of "". (Wine 8 keeps searching the current folder then, so the test
// can only see that the DLL folder is "" afterwards, whatever it was before.)
TEST(DllSearch, WithoutTheSearchFlagsTheDllFolderBecomesEmpty) {
    wchar_t temp[MAX_PATH];
    const DWORD length = GetTempPathW(MAX_PATH, temp);
    ASSERT_GT(length, 0u);
    ASSERT_TRUE(SetDllDirectoryW(temp));
    wchar_t before[MAX_PATH] = L"";
    GetDllDirectoryW(MAX_PATH, before);

    win::pretendWindowsRelease(WindowsRelease::windows7);
    const bool restricted = win::restrictDllSearch();
    win::pretendWindowsRelease(WindowsRelease::newest);
    wchar_t after[MAX_PATH] = L"unchanged";
    const DWORD afterLength = GetDllDirectoryW(MAX_PATH, after);

    EXPECT_NE(std::wstring(before), L"");
    EXPECT_FALSE(restricted);
    EXPECT_EQ(afterLength, 0u);
    EXPECT_EQ(std::wstring(after), L"");
}

}  // namespace
}  // namespace dravosk::ui
