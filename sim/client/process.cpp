#include "sim/client/process.h"

#include "sim/client/temp_file.h"

namespace dravosk::sim::client {

win::unique_handle startProgram(const std::wstring& exe, const std::wstring& arguments,
                                HANDLE output) {
    std::wstring commandLine = L"\"" + exe + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (output != nullptr) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = output;
        startup.hStdError = output;
    }
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, output != nullptr, 0,
                        nullptr, nullptr, &startup, &info)) {
        return {};
    }
    const win::unique_handle thread(info.hThread);
    return win::unique_handle(info.hProcess);
}

Finished runToEnd(const std::wstring& exe, const std::wstring& arguments) {
    // The output goes to a file: a pipe would stay open as long as any process that inherited it
    // (Wine may start helpers from the child) lives on.
    Finished finished;
    const TempFile file(L"output.txt");
    win::unique_handle process;
    {
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        const win::unique_handle output(
            CreateFileW(file.path().c_str(), GENERIC_WRITE,
                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherit,
                        CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY, nullptr));
        if (!output) {
            finished.error =
                "cannot create the output file, error " + std::to_string(GetLastError());
            return finished;
        }
        process = startProgram(exe, arguments, output.get());
    }
    if (!process) {
        finished.error = "CreateProcess failed: " + std::to_string(GetLastError());
        return finished;
    }
    if (WaitForSingleObject(process.get(), 30000) != WAIT_OBJECT_0) {
        finished.error = "the program did not end";
        TerminateProcess(process.get(), 9);
        WaitForSingleObject(process.get(), 5000);
    } else {
        finished.ended = true;
    }
    GetExitCodeProcess(process.get(), &finished.exitCode);
    finished.output = file.read();
    return finished;
}

}  // namespace dravosk::sim::client
