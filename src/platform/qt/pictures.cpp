#include "platform/qt/pictures.h"

#include <QFile>

#include "platform/qt/qt_text.h"

namespace pakscour::qt {

QPixmap load_picture(const std::string& name) {
    if (name.empty()) return {};
    for (const char* ext : {".png", ".jpg"}) {
        const QString path = QStringLiteral(":/pakscour/") + to_qt(name) + QLatin1String(ext);
        if (QFile::exists(path)) return QPixmap(path);
    }
    return {};
}

QIcon load_icon(const std::string& name) {
    // The program's icon file, when there is one by that name ("icon" is pakscour.ico).
    const QString ico = name == "icon" ? QStringLiteral(":/pakscour/pakscour.ico")
                                       : QStringLiteral(":/pakscour/") + to_qt(name) + ".ico";
    if (QFile::exists(ico)) {
        QIcon icon(ico);
        if (!icon.availableSizes().isEmpty()) return icon;
    }
    const QPixmap image = load_picture(name);
    return image.isNull() ? QIcon() : QIcon(image);
}

}  // namespace pakscour::qt
