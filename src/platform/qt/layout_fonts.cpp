#include "platform/qt/layout_fonts.h"

#include <QFontDatabase>

#include "platform/qt/qt_text.h"

namespace pakscour::qt {

QFont layout_font(const std::string& name, double points) {
    QFont font(to_qt(name));
    if (name.find("Courier") != std::string::npos)
        font.setStyleHint(QFont::TypeWriter);
    else
        font.setStyleHint(QFont::SansSerif);
    // "MS Sans Serif" is a narrow raster face: where it is missing, its outline look-alikes
    // (Arial metrics) take the same room at ten elevenths of the size, so the layouts' texts
    // still fit their labels.
    if (name == "MS Sans Serif" && !QFontDatabase::hasFamily(font.family()))
        points = points * 10.0 / 11.0;
    if (points > 0) font.setPointSizeF(points);
    return font;
}

QFont default_window_font() {
    return layout_font("MS Sans Serif", 8.25);
}

}  // namespace pakscour::qt
