#include "platform/qt/qt_text.h"

namespace pakscour::qt {

QString to_qt(const std::string& utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string from_qt(const QString& text) {
    return text.toUtf8().toStdString();
}

QString with_line_breaks(const std::string& utf8) {
    QString text = to_qt(utf8);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

}  // namespace pakscour::qt
