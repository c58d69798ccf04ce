#include "platform/qt/layout_fonts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFontDatabase>
#include <optional>

#include "platform/qt/qt_text.h"

namespace pakscour::qt {

namespace {

std::optional<QString> chosen_sans_face;

}  // namespace

int load_program_fonts() {
    const QDir folder(QCoreApplication::applicationDirPath() + QStringLiteral("/../share/fonts"));
    int added = 0;
    for (const QString& name : folder.entryList({QStringLiteral("*.ttf")}, QDir::Files))
        if (QFontDatabase::addApplicationFont(folder.filePath(name)) >= 0) ++added;
    return added;
}

QString layout_sans_face() {
    if (chosen_sans_face) return *chosen_sans_face;
    for (const char* family : {"Microsoft Sans Serif", "Arial", "Liberation Sans"})
        if (QFontDatabase::hasFamily(QString::fromLatin1(family)))
            return QString::fromLatin1(family);
    return {};
}

void set_layout_sans_face(const QString& family) {
    chosen_sans_face = family;
}

void reset_layout_sans_face() {
    chosen_sans_face.reset();
}

QFont layout_font(const std::string& name, double points) {
    QFont font(to_qt(name));
    if (name.find("Courier") != std::string::npos) {
        font.setStyleHint(QFont::TypeWriter);
    } else {
        font.setStyleHint(QFont::SansSerif);
        // "MS Sans Serif" is a narrow raster face: its outline look-alikes (Arial metrics)
        // take the same room at ten elevenths of the size.
        if (name == "MS Sans Serif" && !QFontDatabase::hasFamily(font.family())) {
            const QString face = layout_sans_face();
            font.setFamilies(face.isEmpty() ? QStringList{font.family()}
                                            : QStringList{face, font.family()});
            points = points * 10.0 / 11.0;
        }
    }
    if (points > 0) font.setPointSizeF(points);
    return font;
}

QFont default_window_font() {
    return layout_font("MS Sans Serif", 8.25);
}

}  // namespace pakscour::qt
