// The stand-in host's class identifier and program identifier.
#pragma once

#include <guiddef.h>

namespace dravosk::sim::server {

// {4EFE6E73-6EEB-417B-BBE7-A14F8FF0916D}
inline constexpr CLSID kClsid = {
    0x4efe6e73, 0x6eeb, 0x417b, {0xbb, 0xe7, 0xa1, 0x4f, 0x8f, 0xf0, 0x91, 0x6d}};
inline constexpr const wchar_t* kClsidText = L"{4EFE6E73-6EEB-417B-BBE7-A14F8FF0916D}";
inline constexpr const wchar_t* kProgId = L"KORVAN.Application";
inline constexpr const wchar_t* kDisplayName = L"Korvane (Simulator)";

}  // namespace dravosk::sim::server
