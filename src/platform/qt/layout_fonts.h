// The fonts the layouts name, as Qt fonts: "MS Sans Serif" and "Courier New" drawn with faces
// of the same metrics where they are installed.
#pragma once

#include <QFont>
#include <string>

namespace pakscour::qt {

// A font named by a layout, at its size in points (0: the default size).
QFont layout_font(const std::string& name, double points);
// The font of every window and of each control that names no font of its own.
QFont default_window_font();

}  // namespace pakscour::qt
