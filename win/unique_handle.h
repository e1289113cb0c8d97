// Owners for kernel objects (file, pipe, event, process, thread), registry keys and loaded modules.
#pragma once

#include <windows.h>

#include "win/unique_any.h"

namespace dravosk::win {

struct HandleTraits : CloseTraits<HANDLE, &::CloseHandle> {
    // CreateFile and friends report failure as INVALID_HANDLE_VALUE, the others as null.
    static pointer normalize(pointer h) noexcept { return h == INVALID_HANDLE_VALUE ? nullptr : h; }
};
using unique_handle = unique_any<HandleTraits>;

using unique_hkey = unique_any<CloseTraits<HKEY, &::RegCloseKey>>;

// A program file loaded with LoadLibrary(Ex), as code or only for its resources.
using unique_hmodule = unique_any<CloseTraits<HMODULE, &::FreeLibrary>>;

}  // namespace dravosk::win
