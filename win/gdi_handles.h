// Owners for the GDI and USER objects a window creates. Each object belongs to exactly one owner,
// which deletes it; a control or device context that shows it only borrows it, so the owner must
// outlive the borrower.
#pragma once

#include <windows.h>

#include "win/unique_any.h"

namespace dravosk::win {

using unique_hfont = unique_any<CloseTraits<HFONT, &::DeleteObject>>;
using unique_hbitmap = unique_any<CloseTraits<HBITMAP, &::DeleteObject>>;
using unique_hrgn = unique_any<CloseTraits<HRGN, &::DeleteObject>>;
using unique_hicon = unique_any<CloseTraits<HICON, &::DestroyIcon>>;

}  // namespace dravosk::win
