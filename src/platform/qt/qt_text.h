// Text conversion at the Qt edge: the core's UTF-8 texts to QString and back, with the
// Windows line breaks of captions and messages (CR LF, lone CR, lone LF) made Qt line breaks.
#pragma once

#include <QString>
#include <string>

namespace pakscour::qt {

QString to_qt(const std::string& utf8);
std::string from_qt(const QString& text);

// CR LF, CR and LF each become one "\n".
QString with_line_breaks(const std::string& utf8);

}  // namespace pakscour::qt
