#include "sim/server/control_channel.h"

#include <algorithm>

namespace dravosk::sim::server {

namespace {

constexpr UINT kRequestMessage = WM_APP + 1;
constexpr std::size_t kMaxRequest = 64 * 1024;
constexpr DWORD kBufferSize = 64 * 1024;
// How long a reply may take to leave, and the client to hang up, before the server gives up.
constexpr DWORD kClientTimeoutMs = 5000;

struct Job {
    const std::string& request;
    ControlReply reply;
};

// One overlapped operation on the pipe, with its own event.
class PipeIo {
  public:
    PipeIo() : event_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    explicit operator bool() const { return static_cast<bool>(event_); }

    OVERLAPPED* start() {
        overlapped_ = OVERLAPPED{};
        overlapped_.hEvent = event_.get();
        ResetEvent(event_.get());
        return &overlapped_;
    }

    // Waits for the operation that start() began (`started` is what the call returned), for
    // `stop` (may be null) or until `timeoutMs`. Anything but completion cancels the operation.
    bool finish(HANDLE pipe, BOOL started, HANDLE stop, DWORD timeoutMs, DWORD& bytes) {
        bytes = 0;
        if (!started) {
            const DWORD error = GetLastError();
            if (error == ERROR_PIPE_CONNECTED) {
                return true;  // the client came before ConnectNamedPipe
            }
            if (error != ERROR_IO_PENDING) {
                return false;
            }
        }
        const HANDLE events[] = {event_.get(), stop};
        const DWORD waited = WaitForMultipleObjects(stop ? 2 : 1, events, FALSE, timeoutMs);
        if (waited != WAIT_OBJECT_0) {
            CancelIo(pipe);
            GetOverlappedResult(pipe, &overlapped_, &bytes, TRUE);  // the buffer is free again
            return false;
        }
        return GetOverlappedResult(pipe, &overlapped_, &bytes, FALSE) != FALSE;
    }

  private:
    win::unique_handle event_;
    OVERLAPPED overlapped_{};
};

std::string oneLine(std::string text) {
    std::replace(text.begin(), text.end(), '\r', ' ');
    std::replace(text.begin(), text.end(), '\n', ' ');
    return text;
}

}  // namespace

std::string ControlChannel::frame(const ControlReply& reply) {
    if (!reply.ok) {
        return "error " + oneLine(reply.error) + "\n";
    }
    std::string text = "ok " + std::to_string(reply.lines.size()) + "\n";
    for (const std::string& line : reply.lines) {
        text += oneLine(line) + "\n";
    }
    return text;
}

ControlChannel::~ControlChannel() {
    if (thread_) {
        stopping_ = true;
        SetEvent(stop_.get());
        // The thread may be waiting in SendMessage for this thread: keep answering until it ends.
        HANDLE thread = thread_.get();
        while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_SENDMESSAGE) !=
               WAIT_OBJECT_0) {
            MSG message;
            PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        }
    }
    destroyQuietly();
}

bool ControlChannel::open(const std::wstring& name, std::wstring& error) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    if (!registerClass(instance)) {
        error = L"Fensterklasse des Steuerkanals kann nicht angelegt werden.";
        return false;
    }
    if (!createWindow(instance, 0, L"", 0, HWND_MESSAGE, 0, 0, 0, 0)) {
        error = L"Fenster des Steuerkanals kann nicht angelegt werden.";
        return false;
    }
    const std::wstring path = L"\\\\.\\pipe\\" + name;
    // Only local clients, and only if no other process serves this name already.
    pipe_ = win::unique_handle(CreateNamedPipeW(
        path.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
        PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1,
        kBufferSize, kBufferSize, 0, nullptr));
    if (!pipe_) {
        error = L"Steuerkanal " + path + L" kann nicht geöffnet werden (Fehler " +
                std::to_wstring(GetLastError()) + L"; läuft schon ein Server unter diesem Namen?).";
        return false;
    }
    stop_ = win::unique_handle(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (stop_) {
        thread_ = win::unique_handle(CreateThread(nullptr, 0, threadMain, this, 0, nullptr));
    }
    if (!thread_) {
        error = L"Thread des Steuerkanals kann nicht gestartet werden.";
        return false;
    }
    return true;
}

LRESULT ControlChannel::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != kRequestMessage) {
        return DefWindowProcW(hwnd(), message, wParam, lParam);
    }
    auto* job = reinterpret_cast<Job*>(lParam);
    if (stopping_) {
        job->reply = {false, {}, "Der Server wird beendet."};
    } else {
        try {
            job->reply = handler_(job->request);
        } catch (const std::exception& e) {
            job->reply = {false, {}, e.what()};
        }
    }
    return 0;
}

DWORD WINAPI ControlChannel::threadMain(void* self) {
    static_cast<ControlChannel*>(self)->serve();
    return 0;
}

void ControlChannel::serve() {
    while (WaitForSingleObject(stop_.get(), 0) == WAIT_TIMEOUT) {
        if (!serveOne()) {
            Sleep(10);  // a broken connection: do not spin
        }
        DisconnectNamedPipe(pipe_.get());
    }
}

// One connection: wait for a client, read its request line, run it on the server's thread,
// write the reply and wait until the client hangs up (disconnecting earlier would discard
// whatever it has not read yet).
bool ControlChannel::serveOne() {
    const HANDLE pipe = pipe_.get();
    PipeIo io;
    if (!io) {
        return false;
    }
    DWORD bytes = 0;
    if (!io.finish(pipe, ConnectNamedPipe(pipe, io.start()), stop_.get(), INFINITE, bytes)) {
        return false;
    }
    std::string request;
    char buffer[4096];
    while (request.find('\n') == std::string::npos) {
        const BOOL started = ReadFile(pipe, buffer, sizeof buffer, nullptr, io.start());
        if (!io.finish(pipe, started, stop_.get(), kClientTimeoutMs, bytes) || bytes == 0 ||
            request.size() > kMaxRequest) {
            return false;
        }
        request.append(buffer, bytes);
    }
    request.erase(request.find('\n'));
    if (!request.empty() && request.back() == '\r') {
        request.pop_back();
    }

    Job job{request, {}};
    SendMessageW(hwnd(), kRequestMessage, 0, reinterpret_cast<LPARAM>(&job));
    const std::string reply = frame(job.reply);

    // Even while stopping, the reply goes out (a "quit" must be answered).
    std::size_t written = 0;
    while (written < reply.size()) {
        const auto chunk = static_cast<DWORD>(std::min<std::size_t>(reply.size() - written, 4096));
        const BOOL started = WriteFile(pipe, reply.data() + written, chunk, nullptr, io.start());
        if (!io.finish(pipe, started, nullptr, kClientTimeoutMs, bytes) || bytes == 0) {
            return false;
        }
        written += bytes;
    }
    // The client hangs up once it has read the reply; anything it sends instead is ignored.
    for (;;) {
        const BOOL started = ReadFile(pipe, buffer, sizeof buffer, nullptr, io.start());
        if (!io.finish(pipe, started, nullptr, kClientTimeoutMs, bytes) || bytes == 0) {
            return true;
        }
    }
}

}  // namespace dravosk::sim::server
