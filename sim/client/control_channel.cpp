#include "sim/client/control_channel.h"

#include <windows.h>

#include <cstdlib>
#include <filesystem>

#include "core/error.h"
#include "sim/client/temp_file.h"
#include "sim/part_program_file.h"
#include "win/handles.h"

namespace dravosk::sim::client {

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
        char chunk[65536];
        DWORD got = 0;
        if (!ReadFile(pipe, chunk, sizeof chunk, &got, nullptr) || got == 0) {
            return false;
        }
        buffer.append(chunk, got);
    }
}

}  // namespace

Reply control(const std::wstring& name, const std::string& request) {
    const std::wstring path = L"\\\\.\\pipe\\" + name;
    win::unique_handle pipe;
    // The one pipe instance is busy until the server has let go of the previous client.
    for (int attempt = 0; attempt < 100 && !pipe; ++attempt) {
        pipe.reset(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                               OPEN_EXISTING, 0, nullptr));
        if (!pipe) {
            if (GetLastError() != ERROR_PIPE_BUSY) {
                return {false, {}, "no control channel, error " + std::to_string(GetLastError())};
            }
            WaitNamedPipeW(path.c_str(), 100);
        }
    }
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

std::optional<PartProgram> savedProgram(const std::wstring& controlName, std::string& error) {
    const TempFile file(L"saved.json");
    const Reply reply = control(controlName, "save " + file.utf8Path());
    if (!reply.ok) {
        error = "save: " + reply.error;
        return std::nullopt;
    }
    try {
        return loadPartProgram(std::filesystem::path(file.path()));
    } catch (const Error& e) {
        error = std::string("saved file: ") + e.what();
        return std::nullopt;
    }
}

}  // namespace dravosk::sim::client
