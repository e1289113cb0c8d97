#include "sim/server/registration.h"

#include <windows.h>

#include <array>
#include <utility>

#include "sim/server/class_id.h"
#include "win/text.h"
#include "win/handles.h"

namespace dravosk::sim::server {

namespace {

using unique_hkey = win::unique_any<win::CloseTraits<HKEY, &::RegCloseKey>>;

struct Root {
    HKEY hive;
    const wchar_t* name;  // for messages
};
const std::array<Root, 2> kRoots = {{{HKEY_CURRENT_USER, L"HKCU"}, {HKEY_LOCAL_MACHINE, L"HKLM"}}};
constexpr const wchar_t* kClasses = L"Software\\Classes";

std::wstring clsidKey() {
    return std::wstring(L"CLSID\\") + kClsidText;
}

std::wstring errorText(LONG code) {
    const std::wstring text = win::systemMessage(static_cast<DWORD>(code));
    return text.empty() ? L"Fehler " + std::to_wstring(code) : text;
}

// Creates `path` under `parent` and sets its default value.
LONG writeDefault(HKEY parent, const std::wstring& path, const std::wstring& value) {
    unique_hkey key;
    LONG rc = RegCreateKeyExW(parent, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                              nullptr, key.put(), nullptr);
    if (rc == ERROR_SUCCESS) {
        rc = RegSetValueExW(key.get(), nullptr, 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }
    return rc;
}

LONG deleteTree(HKEY parent, const std::wstring& path) {
    const LONG rc = RegDeleteTreeW(parent, path.c_str());
    return rc == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : rc;
}

LONG writeRoot(HKEY classes, const std::wstring& exePath) {
    const std::wstring clsid = clsidKey();
    const std::pair<std::wstring, std::wstring> entries[] = {
        {kProgId, kDisplayName},        {std::wstring(kProgId) + L"\\CLSID", kClsidText},
        {clsid, kDisplayName},          {clsid + L"\\LocalServer32", L"\"" + exePath + L"\""},
        {clsid + L"\\ProgID", kProgId},
    };
    for (const auto& [path, value] : entries) {
        if (const LONG rc = writeDefault(classes, path, value); rc != ERROR_SUCCESS) {
            return rc;
        }
    }
    // A server DLL registered beside the EXE would be preferred by CLSCTX_SERVER.
    return deleteTree(classes, clsid + L"\\InprocServer32");
}

// The program identifier's class, or empty when it has none.
std::wstring progIdClass(HKEY classes) {
    wchar_t value[64] = {};
    DWORD size = sizeof value - sizeof(wchar_t);
    const std::wstring path = std::wstring(kProgId) + L"\\CLSID";
    if (RegGetValueW(classes, path.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value, &size) !=
        ERROR_SUCCESS) {
        return {};
    }
    return value;
}

LONG removeRoot(HKEY classes) {
    if (_wcsicmp(progIdClass(classes).c_str(), kClsidText) == 0) {
        if (const LONG rc = deleteTree(classes, kProgId); rc != ERROR_SUCCESS) {
            return rc;
        }
    }
    return deleteTree(classes, clsidKey());
}

template <typename Action>
RegistrationResult forEachRoot(Action action, REGSAM access) {
    RegistrationResult result{true, {}};
    for (const Root& root : kRoots) {
        unique_hkey classes;
        LONG rc = RegCreateKeyExW(root.hive, kClasses, 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                                  nullptr, classes.put(), nullptr);
        if (rc == ERROR_SUCCESS) {
            rc = action(classes.get());
        }
        if (rc == ERROR_SUCCESS) {
            continue;
        }
        const std::wstring text =
            std::wstring(root.name) + L"\\" + kClasses + L": " + errorText(rc);
        if (root.hive == HKEY_LOCAL_MACHINE && rc == ERROR_ACCESS_DENIED) {
            // Windows itself reads the per-user keys; only Wine needs the machine-wide ones.
            result.message += L"Hinweis: " + text + L" (nur für den aktuellen Benutzer)\n";
            continue;
        }
        result.ok = false;
        result.message += text + L"\n";
    }
    return result;
}

}  // namespace

RegistrationResult registerServer(const std::wstring& exePath) {
    return forEachRoot([&](HKEY classes) { return writeRoot(classes, exePath); },
                       KEY_READ | KEY_WRITE);
}

RegistrationResult unregisterServer() {
    return forEachRoot([](HKEY classes) { return removeRoot(classes); },
                       KEY_READ | KEY_WRITE | DELETE);
}

}  // namespace dravosk::sim::server
