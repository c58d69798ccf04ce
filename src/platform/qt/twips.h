// Conversion of form-model geometry (twips, 1/1440 inch) into pixels at a given logical DPI,
// edge by edge, so that neighbouring controls keep their common edges after rounding.
#pragma once

#include "platform/forms/control.h"

namespace pakscour::qt {

// Pixel rectangle of a control: x, y, width, height.
struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const PixelRect&) const = default;
};

// Twips to pixels at `dpi` dots per inch, rounded to the nearest pixel.
int twips_to_px(int twips, double dpi);

// Each edge converts separately: width is right edge minus left edge in pixels.
PixelRect twips_to_px(const forms::Rect& r, double dpi);

// The logical DPI of the primary screen (96 when there is no screen).
double screen_dpi();

}  // namespace pakscour::qt
