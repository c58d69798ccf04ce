// Screen metrics for the renderer: twips to pixels by the screen's logical DPI, a control's
// rectangle on its window's client area (group boxes hold their controls' origin), and the
// icon size that fits the DPI.
#pragma once

#include "platform/forms/form.h"

namespace pakscour::win32 {

struct Dpi {
    int x = 96;
    int y = 96;
};

// LOGPIXELSX/Y of the screen.
Dpi screen_dpi();

// 1440 twips to the inch, rounded to the nearest pixel.
int twips_to_px(int twips, int dpi);

struct PixelRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// The control's place on the window's client area in pixels: its Left/Top are measured from its
// container, the container's from its own, up to the window.
PixelRect client_rect(const forms::Form& f, const forms::Control& c, Dpi dpi);

// The side in pixels of an icon that is px96 pixels at 96 DPI, on a screen of that DPI: the 32 px
// icon is 40 px at 120 DPI, 48 at 144 and 64 at 192, sizes the program's icon file holds, so
// that Windows picks a drawing of that size instead of enlarging a smaller one.
int icon_px(int px96, int dpi);

// A font's height for CreateFontW (negative: character height) from points.
int font_height(double points, int dpi_y);

}  // namespace pakscour::win32
