// The server's /regserver and /unregserver: the program identifier and the class as a local
// server, per user (HKCU\Software\Classes) and, because Wine looks up program identifiers only
// there, machine-wide (HKLM\Software\Classes) as well.
#pragma once

#include <string>

namespace dravosk::sim::server {

struct RegistrationResult {
    bool ok;
    std::wstring message;  // what went wrong, or a note; German
};

// Registers `exePath` (full path) as LocalServer32. No InprocServer32 is left behind.
RegistrationResult registerServer(const std::wstring& exePath);
// Removes the class and, where it still names this class, the program identifier.
RegistrationResult unregisterServer();

}  // namespace dravosk::sim::server
