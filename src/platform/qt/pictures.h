// The program's own images, stored as Qt resources and reached by the picture names that the
// window layouts use ("icon", "splash"). An icon is stored at several sizes, as
// ":/pakscour/<name>/<size>.png", so that every screen gets a drawing made for its pixel density.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <string>

namespace pakscour::qt {

// The image for a picture name on a screen of that device pixel ratio; a null pixmap when there
// is none. An icon is 32 by 32 logical pixels, drawn from the stored size that fits the ratio
// (64 px at 2); other pictures are as stored.
QPixmap load_picture(const std::string& name, qreal device_pixel_ratio = 1.0);

// The window icon for an icon name, with all its stored sizes; an empty icon when there is none.
QIcon load_icon(const std::string& name);

}  // namespace pakscour::qt
