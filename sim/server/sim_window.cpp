#include "sim/server/sim_window.h"

#include <iterator>

#include "core/error.h"
#include "core/text.h"
#include "sim/automation.h"
#include "sim/coercion.h"
#include "sim/server/class_id.h"
#include "win/system_functions.h"
#include "win/text.h"

namespace dravosk::sim::server {

namespace {

constexpr UINT kRefreshMessage = WM_APP + 2;
constexpr int kListId = 100;

struct Column {
    const wchar_t* title;
    int width;  // at 96 dpi
};
constexpr Column kColumns[] = {
    {L"Nr.", 50}, {L"Befehl", 170}, {L"Theo", 190}, {L"IST", 190}, {L"Ziel", 190}};

std::wstring number(double value) {
    return win::wide(ascii(sim::number(value, 6)));  // "-0" stays "-0"
}

}  // namespace

SimWindow::~SimWindow() {
    // Its own destruction must not end the message loop, as closing it does.
    destroyQuietly();
}

win::WindowClass SimWindow::windowClass() {
    return {L"KorvaneSimWindow", LoadCursorW(nullptr, IDC_ARROW),
            LoadIconW(nullptr, IDI_APPLICATION), reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)};
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
               (command.label.empty() ? std::wstring(L"kein Merkmal") : win::wide(command.label)) +
               L")";
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
    if (!createWindow(instance, 0, kDisplayName, WS_OVERLAPPEDWINDOW)) {
        return false;
    }
    // The size follows the monitor's scale: 820 x 480 at 96 dpi.
    const UINT dpi = win::windowDpi(hwnd());
    SetWindowPos(hwnd(), nullptr, 0, 0, MulDiv(820, static_cast<int>(dpi), 96),
                 MulDiv(480, static_cast<int>(dpi), 96), SWP_NOMOVE | SWP_NOZORDER);
    ShowWindow(hwnd(), show);
    UpdateWindow(hwnd());
    return true;
}

void SimWindow::changed() {
    if (hwnd() && !refreshPending_) {
        refreshPending_ = true;
        PostMessageW(hwnd(), kRefreshMessage, 0, 0);
    }
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
            SetWindowPos(hwnd(), nullptr, suggested->left, suggested->top,
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
            PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(hwnd(), message, wParam, lParam);
}

void SimWindow::createControls() {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    summary_ = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_LEFT | SS_ENDELLIPSIS,
                               0, 0, 0, 0, hwnd(), nullptr, instance, nullptr);
    list_ = CreateWindowExW(
        WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
        WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS, 0, 0,
        0, 0, hwnd(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(kListId)), instance, nullptr);
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
    applyDpi(win::windowDpi(hwnd()));
    refresh();
}

void SimWindow::applyDpi(UINT dpi) {
    dpi_ = dpi ? dpi : USER_DEFAULT_SCREEN_DPI;
    NONCLIENTMETRICSW metrics;
    if (win::nonClientMetrics(metrics, dpi_)) {
        if (win::unique_hfont font(CreateFontIndirectW(&metrics.lfMessageFont)); font) {
            for (HWND control : {summary_, list_}) {
                SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
            }
            // The old font is released only now that no control shows it.
            font_ = std::move(font);
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
    GetClientRect(hwnd(), &client);
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
        summary = L"Teileprogramm \u201E" + win::wide(program->name) + L"\u201C: " +
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
