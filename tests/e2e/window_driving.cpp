#include "tests/e2e/window_driving.h"

#include <utility>

namespace dravosk::e2e {

using namespace demo;

void press(WORD key, bool shift) {
    std::vector<INPUT> inputs;
    const auto add = [&](WORD vk, DWORD flags) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = vk;
        input.ki.dwFlags = flags;
        inputs.push_back(input);
    };
    if (shift) {
        add(VK_SHIFT, 0);
    }
    add(key, 0);
    add(key, KEYEVENTF_KEYUP);
    if (shift) {
        add(VK_SHIFT, KEYEVENTF_KEYUP);
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

bool activate(const App& app) {
    SetForegroundWindow(app.window());
    return waitFor([&] { return GetForegroundWindow() == app.window(); }, 3000);
}

std::vector<int> marks(HWND list) {
    std::vector<int> selected;
    const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        if (SendMessageW(list, LB_GETSEL, static_cast<WPARAM>(i), 0) > 0) {
            selected.push_back(static_cast<int>(i));
        }
    }
    return selected;
}

std::wstring joined(const std::vector<int>& values) {
    std::wstring text;
    for (int value : values) {
        text += (text.empty() ? L"" : L",") + std::to_wstring(value);
    }
    return L"{" + text + L"}";
}

void clickLine(HWND list, int index, bool control, const std::wstring& expected,
               const std::wstring& what) {
    const auto height = static_cast<int>(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
    const auto top = static_cast<int>(SendMessageW(list, LB_GETTOPINDEX, 0, 0));
    const LPARAM at = MAKELPARAM(20, (index - top) * height + height / 2);
    const WPARAM keys = control ? MK_CONTROL : 0;
    // A click that comes while the last command still lets go of the host's objects is thrown
    // away with all input of the command, never carried out later: one that changed nothing is
    // made again.
    const std::wstring before = joined(marks(list));
    for (int attempt = 0; attempt < 5; ++attempt) {
        PostMessageW(list, WM_LBUTTONDOWN, keys | MK_LBUTTON, at);
        PostMessageW(list, WM_LBUTTONUP, keys, at);
        if (waitFor([&] { return joined(marks(list)) == expected; }, 2000) ||
            joined(marks(list)) != before) {
            break;
        }
    }
    checkText(joined(marks(list)), expected, what);
}

void toggle(const App& app, Control box) {
    const LRESULT before = SendMessageW(app.control(box), BM_GETCHECK, 0, 0);
    clickUntil(
        app, box, [&] { return SendMessageW(app.control(box), BM_GETCHECK, 0, 0) != before; },
        L"the click toggles it");
}

void checkButtons(const App& app, bool lesen, bool schreiben, bool alle, bool keine,
                  const std::wstring& state) {
    const std::pair<Control, bool> expected[] = {{cmd_lesen, lesen},
                                                 {cmd_schreiben, schreiben},
                                                 {cmd_allemarkieren, alle},
                                                 {cmd_alledemarkieren, keine}};
    for (const auto& [button, enabled] : expected) {
        checkEqual(IsWindowEnabled(app.control(button)) != FALSE, enabled,
                   state + L": " + controlName(button) + L" enabled");
    }
}

}  // namespace dravosk::e2e
