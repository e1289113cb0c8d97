#include "ui/layout.h"

namespace dravosk::ui {

int twipsToPixels(int twips, UINT dpi) {
    return MulDiv(twips, static_cast<int>(dpi), kTwipsPerInch);
}

PixelRect toPixels(const TwipsRect& rect, UINT dpi) {
    return {twipsToPixels(rect.left, dpi), twipsToPixels(rect.top, dpi),
            twipsToPixels(rect.width, dpi), twipsToPixels(rect.height, dpi)};
}

PixelSize clientSize(UINT dpi) {
    return {twipsToPixels(kClientWidthTwips, dpi), twipsToPixels(kClientHeightTwips, dpi)};
}

}  // namespace dravosk::ui
