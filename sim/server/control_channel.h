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

#include "win/handles.h"
#include "win/window_base.h"

namespace dravosk::sim::server {

struct ControlReply {
    bool ok = true;
    std::vector<std::string> lines;  // with ok
    std::string error;               // without ok
};

class ControlChannel : public win::WindowBase<ControlChannel> {
  public:
    // Runs on the thread that creates the channel; that thread must pump messages.
    using Handler = std::function<ControlReply(const std::string& request)>;

    explicit ControlChannel(Handler handler) : handler_(std::move(handler)) {}
    ~ControlChannel();

    // Opens \\.\pipe\<name> and starts serving it. False with `error` set when the name is taken
    // or the pipe cannot be made.
    bool open(const std::wstring& name, std::wstring& error);

    // The reply as it goes over the pipe.
    static std::string frame(const ControlReply& reply);

  private:
    // A message-only window owned by the creating thread: requests reach that thread through it.
    friend class win::WindowBase<ControlChannel>;
    static win::WindowClass windowClass() { return {L"KorvaneSimControl"}; }
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);

    static DWORD WINAPI threadMain(void* self);
    void serve();
    bool serveOne();

    Handler handler_;
    win::unique_handle pipe_;
    win::unique_handle stop_;
    win::unique_handle thread_;
    bool stopping_ = false;  // touched only on the creating thread
};

}  // namespace dravosk::sim::server
