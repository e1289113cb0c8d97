// Form1's fixed layout, kept in twips as it was designed and converted to pixels for the DPI the
// window is shown at (1440 twips per inch: 15 twips per pixel at 96 DPI).
#pragma once

#include <windows.h>

#include <array>
#include <cstddef>
#include <string_view>

namespace dravosk::ui {

inline constexpr int kTwipsPerInch = 1440;

// Rounds to the nearest pixel (halves away from zero).
inline int twipsToPixels(int twips, UINT dpi) {
    return MulDiv(twips, static_cast<int>(dpi), kTwipsPerInch);
}

struct TwipsRect {
    int left, top, width, height;
};
struct PixelRect {
    int left, top, width, height;
};
// Position and size are converted each on its own, so every control keeps its designed size.
inline PixelRect toPixels(const TwipsRect& rect, UINT dpi) {
    return {twipsToPixels(rect.left, dpi), twipsToPixels(rect.top, dpi),
            twipsToPixels(rect.width, dpi), twipsToPixels(rect.height, dpi)};
}

struct PixelSize {
    int width, height;
};

inline constexpr wchar_t kWindowCaption[] = L"Dravosk für Korvane";
// The caption of every box the program shows.
inline constexpr std::u16string_view kAppTitle = u"Dravosk";
// A fixed frame: the layout never changes, so the window cannot be resized or maximised.
inline constexpr DWORD kWindowStyle =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
inline constexpr DWORD kWindowExStyle = 0;
inline constexpr int kClientWidthTwips = 7860;
inline constexpr int kClientHeightTwips = 5880;
inline PixelSize clientSize(UINT dpi) {
    return {twipsToPixels(kClientWidthTwips, dpi), twipsToPixels(kClientHeightTwips, dpi)};
}

enum class ControlKind { pushButton, listBox, checkBox, label, picture };

// Index of each control in kControls.
enum class Slot : std::size_t {
    cmd_lesen,
    cmd_schreiben,
    List1,
    Check1,
    Check2,
    Check3,
    Label1,
    cmd_allemarkieren,
    cmd_alledemarkieren,
    Image1,
};

struct ControlDesign {
    int id;  // the child window identifier; never IDOK or IDCANCEL
    ControlKind kind;
    const wchar_t* caption;  // nullptr: none
    TwipsRect twips;
};

inline constexpr wchar_t kLabelText[] = L"Merkmalvektoren umkehren";

// In tab order, which is also the creation order; the picture, last, is no tab stop.
inline constexpr std::array<ControlDesign, 10> kControls = {{
    {101,
     ControlKind::pushButton,
     L"Elemente aus offenem Korvane Programm einlesen",
     {480, 240, 2655, 735}},
    {102,
     ControlKind::pushButton,
     L"Vektoren der Markierten Elemente umgekehrt in das Programm schreiben",
     {480, 1080, 2655, 855}},
    {103, ControlKind::listBox, nullptr, {4440, 120, 3255, 4350}},
    {104, ControlKind::checkBox, L"Theo umkehren", {600, 2280, 2055, 255}},
    {105, ControlKind::checkBox, L"IST umkehren", {600, 2640, 2055, 255}},
    {106, ControlKind::checkBox, L"Ziel umkehren", {600, 3000, 2055, 255}},
    {107, ControlKind::label, kLabelText, {4440, 5400, 2295, 375}},
    {108, ControlKind::pushButton, L"Alle Merkmale selektieren", {4440, 4560, 1455, 495}},
    {109, ControlKind::pushButton, L"Alle Merkmale deselektieren", {6120, 4560, 1455, 495}},
    {110, ControlKind::picture, nullptr, {360, 3720, 3210, 2040}},
}};

constexpr const ControlDesign& design(Slot slot) {
    return kControls[static_cast<std::size_t>(slot)];
}

}  // namespace dravosk::ui
