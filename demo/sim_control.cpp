#include "demo/sim_control.h"

#include <cstdlib>
#include <filesystem>

#include "core/error.h"
#include "sim/part_program_file.h"

namespace dravosk::demo {

namespace {

bool readLine(HANDLE pipe, std::string& buffer, std::string& line) {
    for (;;) {
        if (const std::size_t end = buffer.find('\n'); end != std::string::npos) {
            line = buffer.substr(0, end);
            buffer.erase(0, end + 1);
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            return true;
        }
        char chunk[4096];
        DWORD got = 0;
        if (!ReadFile(pipe, chunk, sizeof chunk, &got, nullptr) || got == 0) {
            return false;
        }
        buffer.append(chunk, got);
    }
}

std::string utf8(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), size,
                        nullptr, nullptr);
    return result;
}

}  // namespace

Reply control(const std::wstring& name, const std::string& request) {
    const std::wstring path = L"\\\\.\\pipe\\" + name;
    HANDLE opened = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 100 && opened == INVALID_HANDLE_VALUE; ++attempt) {
        opened = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                             0, nullptr);
        if (opened == INVALID_HANDLE_VALUE) {
            if (GetLastError() != ERROR_PIPE_BUSY) {
                return {false, {}, "no control channel, error " + std::to_string(GetLastError())};
            }
            WaitNamedPipeW(path.c_str(), 100);
        }
    }
    const Handle pipe(opened);
    if (!pipe) {
        return {false, {}, "control channel busy"};
    }
    const std::string text = request + "\n";
    DWORD written = 0;
    if (!WriteFile(pipe.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr)) {
        return {false, {}, "request not sent"};
    }
    std::string buffer;
    std::string header;
    if (!readLine(pipe.get(), buffer, header)) {
        return {false, {}, "no reply"};
    }
    Reply reply;
    if (header.rfind("ok ", 0) != 0) {
        reply.error = header.rfind("error ", 0) == 0 ? header.substr(6) : header;
        return reply;
    }
    const long count = std::strtol(header.c_str() + 3, nullptr, 10);
    for (long i = 0; i < count; ++i) {
        std::string line;
        if (!readLine(pipe.get(), buffer, line)) {
            return {false, {}, "reply cut short"};
        }
        reply.lines.push_back(line);
    }
    reply.ok = true;
    return reply;
}

TempFile::TempFile(const std::wstring& stem) {
    static int files = 0;
    wchar_t directory[MAX_PATH];
    GetTempPathW(MAX_PATH, directory);
    path_ = std::wstring(directory) + L"dravosk-e2e-" + std::to_wstring(GetCurrentProcessId()) +
            L"-" + std::to_wstring(++files) + L"-" + stem;
}

TempFile::~TempFile() {
    DeleteFileW(path_.c_str());
}

bool TempFile::write(const std::string& utf8Text) const {
    const Handle file(CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file &&
           WriteFile(file.get(), utf8Text.data(), static_cast<DWORD>(utf8Text.size()), &written,
                     nullptr) &&
           written == utf8Text.size();
}

std::optional<sim::PartProgram> savedProgram(const std::wstring& controlName, std::string& error) {
    const TempFile file(L"saved.json");
    const Reply reply = control(controlName, "save " + utf8(file.path()));
    if (!reply.ok) {
        error = "save: " + reply.error;
        return std::nullopt;
    }
    try {
        return sim::loadPartProgram(std::filesystem::path(file.path()));
    } catch (const Error& e) {
        error = std::string("saved file: ") + e.what();
        return std::nullopt;
    }
}

}  // namespace dravosk::demo
