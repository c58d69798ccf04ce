// The program's own images, stored as Qt resources and reached by the picture names that the
// window layouts use ("icon", "splash").
#pragma once

#include <QIcon>
#include <QPixmap>
#include <string>

namespace pakscour::qt {

// The image for a picture name; a null pixmap when there is none.
QPixmap load_picture(const std::string& name);

// The window icon for an icon name; an empty icon when there is none.
QIcon load_icon(const std::string& name);

}  // namespace pakscour::qt
