#include "sim/server/console_output.h"

#include <windows.h>

#include <string>

#include "core/text.h"
#include "win/text.h"

namespace dravosk::sim::server {

void printError(std::wstring_view line) {
    const HANDLE out = GetStdHandle(STD_ERROR_HANDLE);
    if (!out || out == INVALID_HANDLE_VALUE) {
        return;
    }
    const std::wstring text = std::wstring(line) + L"\n";
    DWORD mode = 0;
    DWORD written = 0;
    if (GetConsoleMode(out, &mode)) {
        WriteConsoleW(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        return;
    }
    const std::string bytes = toUtf8(win::u16(text));
    WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

}  // namespace dravosk::sim::server
