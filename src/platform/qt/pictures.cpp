#include "platform/qt/pictures.h"

#include <QDir>
#include <QFile>

#include "platform/qt/qt_text.h"

namespace pakscour::qt {

namespace {

// The icon of that name with every size stored for it; empty when it has none.
QIcon stored_sizes(const std::string& name) {
    QIcon icon;
    const QDir dir(QStringLiteral(":/pakscour/") + to_qt(name));
    for (const QFileInfo& file : dir.entryInfoList({QStringLiteral("*.png")}, QDir::Files)) {
        bool number = false;
        const int size = file.completeBaseName().toInt(&number);
        if (number && size > 0) icon.addFile(file.filePath(), QSize(size, size));
    }
    return icon;
}

}  // namespace

QPixmap load_picture(const std::string& name, qreal device_pixel_ratio) {
    if (name.empty()) return {};
    const QIcon icon = stored_sizes(name);
    if (!icon.isNull()) return icon.pixmap(QSize(32, 32), device_pixel_ratio);
    for (const char* ext : {".png", ".jpg"}) {
        const QString path = QStringLiteral(":/pakscour/") + to_qt(name) + QLatin1String(ext);
        if (QFile::exists(path)) return QPixmap(path);
    }
    return {};
}

QIcon load_icon(const std::string& name) {
    if (name.empty()) return {};
    QIcon icon = stored_sizes(name);
    if (!icon.isNull()) return icon;
    const QPixmap image = load_picture(name);
    return image.isNull() ? QIcon() : QIcon(image);
}

}  // namespace pakscour::qt
