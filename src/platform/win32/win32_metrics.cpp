#include "platform/win32/win32_metrics.h"

#include <windows.h>

#include <cmath>

namespace pakscour::win32 {

Dpi screen_dpi() {
    HDC dc = GetDC(nullptr);
    Dpi d{GetDeviceCaps(dc, LOGPIXELSX), GetDeviceCaps(dc, LOGPIXELSY)};
    ReleaseDC(nullptr, dc);
    if (d.x <= 0) d.x = 96;
    if (d.y <= 0) d.y = 96;
    return d;
}

int twips_to_px(int twips, int dpi) {
    return static_cast<int>(std::lround(static_cast<double>(twips) * dpi / 1440.0));
}

PixelRect client_rect(const forms::Form& f, const forms::Control& c, Dpi dpi) {
    int left = c.rect().left;
    int top = c.rect().top;
    // Walk up the containers; a bounded walk guards against a container cycle in the layout.
    const forms::Control* inner = &c;
    for (int depth = 0; depth < 16 && !inner->container().empty(); ++depth) {
        if (!f.has(inner->container())) break;
        inner = &f.ctl(inner->container());
        left += inner->rect().left;
        top += inner->rect().top;
    }
    const int x = twips_to_px(left, dpi.x);
    const int y = twips_to_px(top, dpi.y);
    return {x, y, twips_to_px(left + c.rect().width, dpi.x) - x,
            twips_to_px(top + c.rect().height, dpi.y) - y};
}

int icon_px(int px96, int dpi) {
    return static_cast<int>(std::lround(static_cast<double>(px96) * (dpi > 0 ? dpi : 96) / 96.0));
}

int font_height(double points, int dpi_y) {
    return -static_cast<int>(std::lround(points * dpi_y / 72.0));
}

}  // namespace pakscour::win32
