#include "sim/server/sim_window.h"

#include <cstdio>
#include <iterator>

#include "core/error.h"
#include "sim/coercion.h"
#include "sim/server/class_id.h"

namespace dravosk::sim::server {

namespace {

constexpr const wchar_t* kWindowClass = L"KorvaneSimWindow";
constexpr UINT kRefreshMessage = WM_APP + 2;
constexpr int kListId = 100;

struct Column {
    const wchar_t* title;
    int width;  // at 96 dpi
};
constexpr Column kColumns[] = {
    {L"Nr.", 50}, {L"Befehl", 170}, {L"Theo", 190}, {L"IST", 190}, {L"Ziel", 190}};

std::wstring wide(const std::u16string& text) {
    return {text.begin(), text.end()};
}

std::wstring number(double value) {
    wchar_t buffer[40];
    std::swprintf(buffer, std::size(buffer), L"%g", value);  // "-0" stays "-0"
    return buffer;
}

}  // namespace

SimWindow::~SimWindow() {
    if (window_) {
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
    if (font_) {
        DeleteObject(font_);
    }
}

std::wstring SimWindow::vectorText(const Vector& vector) {
    return L"(" + number(vector[0]) + L", " + number(vector[1]) + L", " + number(vector[2]) + L")";
}

bool SimWindow::isFeature(const Command& command) {
    try {
        return toBool(command.isFeature, u"IsFeature");
    } catch (const Error&) {
        return false;
    }
}

std::wstring SimWindow::commandText(const Command& command) {
    if (!isFeature(command)) {
        return L"(" +
               (command.label.empty() ? std::wstring(L"kein Merkmal") : wide(command.label)) + L")";
    }
    try {
        const std::u16string id = toText(command.id, u"ID");
        if (id.empty()) {
            return L"(leere ID)";
        }
        // What the tool compares exactly must be visible: blanks at the ends are quoted, control
        // characters (an embedded NUL would end the text) shown as their symbols.
        std::wstring text;
        for (char16_t c : id) {
            text += c < 0x20 ? static_cast<wchar_t>(0x2400 + c) : static_cast<wchar_t>(c);
        }
        if (text.front() == L' ' || text.back() == L' ') {
            text = L"\u201E" + text + L"\u201C";
        }
        return text;
    } catch (const Error&) {
        return L"(ID nicht lesbar)";
    }
}

bool SimWindow::create(int show) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kWindowClass;
    if (!RegisterClassExW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        return false;
    }
    window_ = CreateWindowExW(0, kWindowClass, kDisplayName, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                              instance, this);
    if (!window_) {
        return false;
    }
    // The size follows the monitor's scale: 820 x 480 at 96 dpi.
    const UINT dpi = GetDpiForWindow(window_);
    SetWindowPos(window_, nullptr, 0, 0, MulDiv(820, static_cast<int>(dpi), 96),
                 MulDiv(480, static_cast<int>(dpi), 96), SWP_NOMOVE | SWP_NOZORDER);
    ShowWindow(window_, show);
    UpdateWindow(window_);
    return true;
}

void SimWindow::changed() {
    if (window_ && !refreshPending_) {
        refreshPending_ = true;
        PostMessageW(window_, kRefreshMessage, 0, 0);
    }
}

LRESULT CALLBACK SimWindow::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self =
            static_cast<SimWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<SimWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    return self ? self->handle(message, wParam, lParam)
                : DefWindowProcW(window, message, wParam, lParam);
}

LRESULT SimWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            createControls();
            return 0;
        case WM_SIZE:
            layout();
            return 0;
        case WM_DPICHANGED: {
            applyDpi(HIWORD(wParam));
            const auto* suggested = reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(window_, nullptr, suggested->left, suggested->top,
                         suggested->right - suggested->left, suggested->bottom - suggested->top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            return 0;
        }
        case WM_NOTIFY: {
            auto* header = reinterpret_cast<NMHDR*>(lParam);
            if (header->idFrom == kListId && header->code == LVN_GETDISPINFOW) {
                fillItem(*reinterpret_cast<NMLVDISPINFOW*>(lParam));
                return 0;
            }
            break;
        }
        case kRefreshMessage:
            refreshPending_ = false;
            refresh();
            return 0;
        case WM_DESTROY:
            window_ = nullptr;
            PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

void SimWindow::createControls() {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    summary_ = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_LEFT | SS_ENDELLIPSIS,
                               0, 0, 0, 0, window_, nullptr, instance, nullptr);
    list_ = CreateWindowExW(
        WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
        WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS, 0, 0,
        0, 0, window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kListId)), instance, nullptr);
    ListView_SetExtendedListViewStyle(
        list_, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_DOUBLEBUFFER);
    for (int i = 0; i < static_cast<int>(std::size(kColumns)); ++i) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.pszText = const_cast<wchar_t*>(kColumns[i].title);
        column.cx = kColumns[i].width;
        column.iSubItem = i;
        ListView_InsertColumn(list_, i, &column);
    }
    applyDpi(GetDpiForWindow(window_));
    refresh();
}

void SimWindow::applyDpi(UINT dpi) {
    dpi_ = dpi ? dpi : USER_DEFAULT_SCREEN_DPI;
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi_)) {
        if (HFONT font = CreateFontIndirectW(&metrics.lfMessageFont)) {
            for (HWND control : {summary_, list_}) {
                SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
            }
            if (font_) {
                DeleteObject(font_);
            }
            font_ = font;
        }
    }
    for (int i = 0; i < static_cast<int>(std::size(kColumns)); ++i) {
        ListView_SetColumnWidth(list_, i, MulDiv(kColumns[i].width, static_cast<int>(dpi_), 96));
    }
    layout();
}

void SimWindow::layout() {
    if (!list_) {
        return;
    }
    RECT client{};
    GetClientRect(window_, &client);
    const int margin = MulDiv(8, static_cast<int>(dpi_), 96);
    const int line = MulDiv(22, static_cast<int>(dpi_), 96);
    const int width = client.right - 2 * margin;
    MoveWindow(summary_, margin, margin, width, line, TRUE);
    MoveWindow(list_, margin, 2 * margin + line, width, client.bottom - 3 * margin - line, TRUE);
}

void SimWindow::refresh() {
    if (!list_) {
        return;
    }
    const PartProgram* program = model_.active();
    std::wstring summary = L"Kein Teileprogramm geöffnet";
    int count = 0;
    if (program) {
        count = static_cast<int>(program->commands.size());
        int features = 0;
        for (const Command& command : program->commands) {
            features += isFeature(command) ? 1 : 0;
        }
        summary = L"Teileprogramm \u201E" + wide(program->name) + L"\u201C: " +
                  std::to_wstring(count) + L" Befehle, davon " + std::to_wstring(features) +
                  L" Merkmale";
    }
    SetWindowTextW(summary_, summary.c_str());
    ListView_SetItemCountEx(list_, count, LVSICF_NOSCROLL);
    InvalidateRect(list_, nullptr, FALSE);
}

void SimWindow::fillItem(NMLVDISPINFOW& info) const {
    LVITEMW& item = info.item;
    const PartProgram* program = model_.active();
    if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0 || !program ||
        item.iItem < 0 || static_cast<std::size_t>(item.iItem) >= program->commands.size()) {
        return;
    }
    const Command& command = program->commands[static_cast<std::size_t>(item.iItem)];
    std::wstring text;
    if (item.iSubItem == 0) {
        text = std::to_wstring(item.iItem + 1);
    } else if (item.iSubItem == 1) {
        text = commandText(command);
    } else if (item.iSubItem <= 4 && isFeature(command)) {
        text = vectorText(command.vectors[static_cast<std::size_t>(item.iSubItem - 2)]);
    }
    lstrcpynW(item.pszText, text.c_str(), item.cchTextMax);
}

}  // namespace dravosk::sim::server
