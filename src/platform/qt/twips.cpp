#include "platform/qt/twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

namespace pakscour::qt {

int twips_to_px(int twips, double dpi) {
    return static_cast<int>(std::lround(static_cast<double>(twips) * dpi / 1440.0));
}

PixelRect twips_to_px(const forms::Rect& r, double dpi) {
    const int x = twips_to_px(r.left, dpi);
    const int y = twips_to_px(r.top, dpi);
    return {x, y, twips_to_px(r.left + r.width, dpi) - x, twips_to_px(r.top + r.height, dpi) - y};
}

double screen_dpi() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return 96.0;
    const double dpi = screen->logicalDotsPerInch();
    return dpi > 0 ? dpi : 96.0;
}

}  // namespace pakscour::qt
