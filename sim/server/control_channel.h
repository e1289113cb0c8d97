// A named pipe through which tests drive and read the running server: one text request per
// connection, answered on the same connection.
//
// Request: one line (UTF-8, ending in '\n'). Reply: "ok N\n" followed by N lines, or
// "error TEXT\n". The server closes its end after the client has closed its own.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "sim/server/unique_handle.h"

namespace dravosk::sim::server {

struct ControlReply {
    bool ok = true;
    std::vector<std::string> lines;  // with ok
    std::string error;               // without ok
};

class ControlChannel {
  public:
    // Runs on the thread that creates the channel; that thread must pump messages.
    using Handler = std::function<ControlReply(const std::string& request)>;

    explicit ControlChannel(Handler handler) : handler_(std::move(handler)) {}
    ControlChannel(const ControlChannel&) = delete;
    ControlChannel& operator=(const ControlChannel&) = delete;
    ~ControlChannel();

    // Opens \\.\pipe\<name> and starts serving it. False with `error` set when the name is taken
    // or the pipe cannot be made.
    bool open(const std::wstring& name, std::wstring& error);

    // The reply as it goes over the pipe.
    static std::string frame(const ControlReply& reply);

  private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static DWORD WINAPI threadMain(void* self);
    void serve();
    bool serveOne();

    Handler handler_;
    HWND window_ = nullptr;  // message-only, owned by the creating thread
    UniqueHandle pipe_;
    UniqueHandle stop_;
    UniqueHandle thread_;
    bool stopping_ = false;  // touched only on the creating thread
};

}  // namespace dravosk::sim::server
