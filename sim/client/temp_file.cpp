#include "sim/client/temp_file.h"

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "core/text.h"
#include "win/text.h"

namespace dravosk::sim::client {

TempFile::TempFile(std::wstring_view stem) {
    static int files = 0;
    wchar_t directory[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, directory);
    path_ = std::wstring(directory, length <= MAX_PATH ? length : 0) + L"dravosk-" +
            std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++files) + L"-" +
            std::wstring(stem);
}

TempFile::~TempFile() {
    remove();
}

std::string TempFile::utf8Path() const {
    return toUtf8(win::u16(path_));
}

bool TempFile::write(std::string_view content) const {
    std::ofstream out(std::filesystem::path(path_), std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    out.close();
    return !out.fail();
}

std::string TempFile::read() const {
    std::ifstream in(std::filesystem::path(path_), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void TempFile::remove() const {
    std::error_code ignored;
    std::filesystem::remove(std::filesystem::path(path_), ignored);
}

}  // namespace dravosk::sim::client
