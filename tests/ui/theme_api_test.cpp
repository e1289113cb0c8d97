#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "ui/theme_api.h"

namespace dravosk::ui {
namespace {

std::wstring besideThisProgram(const wchar_t* name) {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    return folder.substr(0, folder.find_last_of(L'\\') + 1) + name;
}

TEST(ThemeApi, ComesFromTheSystemFolder) {
    const ThemeApi api;
    EXPECT_TRUE(api.loaded());
}

// A DLL planted beside the program is never even looked at: the load ends with "module not found"
// rather than with an attempt to map the planted file.
TEST(ThemeApi, IgnoresADllBesideTheProgramAndDrawsWithoutTheme) {
    const std::wstring planted = besideThisProgram(L"dravosk-planted-theme.dll");
    { std::ofstream(planted.c_str(), std::ios::binary) << "not a program file"; }
    SetLastError(ERROR_SUCCESS);
    const ThemeApi api(L"dravosk-planted-theme.dll");
    const DWORD error = GetLastError();
    DeleteFileW(planted.c_str());

    EXPECT_FALSE(api.loaded());
    EXPECT_EQ(error, DWORD{ERROR_MOD_NOT_FOUND});
    // Without the functions every window counts as unthemed: the classic face is drawn.
    EXPECT_EQ(api.windowTheme(GetDesktopWindow()), nullptr);
}

}  // namespace
}  // namespace dravosk::ui
