#include "tests/sim/server/test_files.h"

#include <windows.h>

#include <filesystem>
#include <fstream>

#include "core/text.h"

namespace dravosk::sim::server::test {

std::wstring tempFile(const wchar_t* stem) {
    wchar_t directory[MAX_PATH];
    GetTempPathW(MAX_PATH, directory);
    return std::wstring(directory) + L"korvane-sim-test-" + std::to_wstring(GetCurrentProcessId()) +
           L"-" + stem;
}

void writeFile(const std::wstring& path, const std::string& text) {
    std::ofstream out(std::filesystem::path(path), std::ios::binary);
    out << text;
}

std::string utf8(const std::wstring& text) {
    return toUtf8(std::u16string(text.begin(), text.end()));
}

}  // namespace dravosk::sim::server::test
