#include "tests/sim/server/server_process.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "core/text.h"

#ifndef KORVANE_SIM_RELATIVE
#error "KORVANE_SIM_RELATIVE: the server's path relative to the test program"
#endif

namespace dravosk::sim::server::test {

namespace {

std::wstring directoryOfThisProgram() {
    wchar_t path[MAX_PATH * 2];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
    std::wstring result(path, length);
    return result.substr(0, result.find_last_of(L"\\/") + 1);
}

std::wstring widen(const char* utf8) {
    const std::u16string text = fromUtf8(utf8);
    return {text.begin(), text.end()};
}

win::unique_handle launch(const std::wstring& arguments, HANDLE output) {
    std::wstring commandLine = L"\"" + serverPath() + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (output) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = output;
        startup.hStdError = output;
    }
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, output != nullptr, 0,
                        nullptr, nullptr, &startup, &info)) {
        ADD_FAILURE() << "CreateProcess failed: " << GetLastError();
        return {};
    }
    CloseHandle(info.hThread);
    return win::unique_handle(info.hProcess);
}

bool readLine(HANDLE pipe, std::string& buffer, std::string& line) {
    for (;;) {
        if (const std::size_t end = buffer.find('\n'); end != std::string::npos) {
            line = buffer.substr(0, end);
            buffer.erase(0, end + 1);
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

}  // namespace

std::wstring serverPath() {
    std::wstring relative = directoryOfThisProgram() + widen(KORVANE_SIM_RELATIVE);
    wchar_t full[MAX_PATH * 2];
    const DWORD length = GetFullPathNameW(relative.c_str(), MAX_PATH * 2, full, nullptr);
    return length > 0 && length < MAX_PATH * 2 ? std::wstring(full, length) : relative;
}

Finished runServer(const std::wstring& arguments) {
    // Output goes to a file: a pipe would stay open as long as any process that inherited it
    // (Wine may start helpers from the child) lives on.
    Finished finished;
    wchar_t directory[MAX_PATH];
    GetTempPathW(MAX_PATH, directory);
    // A name of its own each time: a helper that inherited an earlier file may still hold it.
    static int runs = 0;
    const std::wstring file = std::wstring(directory) + L"korvane-sim-output-" +
                              std::to_wstring(GetCurrentProcessId()) + L"-" +
                              std::to_wstring(++runs) + L".txt";
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    win::unique_handle process;
    {
        win::unique_handle output(CreateFileW(
            file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
            &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY, nullptr));
        if (!output) {
            ADD_FAILURE() << "cannot create the output file";
            return finished;
        }
        process = launch(arguments, output.get());
    }
    if (!process) {
        return finished;
    }
    if (WaitForSingleObject(process.get(), 30000) != WAIT_OBJECT_0) {
        ADD_FAILURE() << "the server did not end";
        TerminateProcess(process.get(), 9);
        WaitForSingleObject(process.get(), 5000);
    }
    GetExitCodeProcess(process.get(), &finished.exitCode);
    std::ifstream in(std::filesystem::path(file), std::ios::binary);
    finished.output.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    in.close();
    DeleteFileW(file.c_str());
    return finished;
}

Reply control(const std::wstring& name, const std::string& request) {
    const std::wstring path = L"\\\\.\\pipe\\" + name;
    win::unique_handle pipe;
    for (int attempt = 0; attempt < 100 && !pipe; ++attempt) {
        pipe = win::unique_handle(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                              nullptr, OPEN_EXISTING, 0, nullptr));
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
    const long count = std::stol(header.substr(3));
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

ServerProcess::ServerProcess(const std::wstring& programFile, std::wstring controlName, bool window)
    : name_(std::move(controlName)) {
    process_ = launch(std::wstring(window ? L"" : L"--no-window ") + L"--control " + name_ +
                          L" --program \"" + programFile + L"\"",
                      nullptr);
    if (!process_) {
        return;
    }
    // The server answers only once its class object is registered.
    for (int attempt = 0; attempt < 750; ++attempt) {  // up to 15 s on a busy machine
        if (WaitForSingleObject(process_.get(), 0) == WAIT_OBJECT_0) {
            ADD_FAILURE() << "the server ended at start";
            return;
        }
        if (control("live").ok) {
            started_ = true;
            return;
        }
        Sleep(20);
    }
    ADD_FAILURE() << "the server's control channel did not answer";
}

ServerProcess::~ServerProcess() {
    if (!process_) {
        return;
    }
    if (WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
        control("quit");
        if (!waitForExit(10000)) {
            ADD_FAILURE() << "the server did not quit";
            kill();
        }
    }
}

std::vector<std::string> ServerProcess::lines(const std::string& request) const {
    Reply reply = control(request);
    EXPECT_TRUE(reply.ok) << request << ": " << reply.error;
    return reply.lines;
}

long ServerProcess::live() const {
    const std::vector<std::string> reply = lines("live");
    return reply.size() == 1 ? std::stol(reply[0]) : -1;
}

void ServerProcess::kill() {
    TerminateProcess(process_.get(), 9);
    waitForExit(10000);
}

bool ServerProcess::waitForExit(DWORD timeoutMs) const {
    return WaitForSingleObject(process_.get(), timeoutMs) == WAIT_OBJECT_0;
}

}  // namespace dravosk::sim::server::test
