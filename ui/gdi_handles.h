// Owners for the GDI and USER objects the window creates. Each object belongs to exactly one owner,
// which deletes it; a control that shows it only borrows it, so the owner must outlive the control.
#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

namespace dravosk::ui {

struct GdiObjectDeleter {
    void operator()(HGDIOBJ object) const noexcept { DeleteObject(object); }
};
struct IconDeleter {
    void operator()(HICON icon) const noexcept { DestroyIcon(icon); }
};

using unique_hfont = std::unique_ptr<std::remove_pointer_t<HFONT>, GdiObjectDeleter>;
using unique_hbitmap = std::unique_ptr<std::remove_pointer_t<HBITMAP>, GdiObjectDeleter>;
using unique_hicon = std::unique_ptr<std::remove_pointer_t<HICON>, IconDeleter>;

}  // namespace dravosk::ui
