// The fonts the layouts name, as Qt fonts. "MS Sans Serif" is drawn with a face of Arial's
// metrics (the program carries Liberation Sans beside itself) and "Courier New" with one of its
// own metrics, where they are installed; else with the desktop's faces, and the renderer fits
// each text to its box (text_fit.h).
#pragma once

#include <QFont>
#include <QString>
#include <string>

namespace pakscour::qt {

// Adds every .ttf file in `<folder of the executable>/../share/fonts/` to the application's
// fonts; returns how many were added.
int load_program_fonts();

// The face that draws "MS Sans Serif": the first installed of the faces with its metrics
// ("Microsoft Sans Serif", "Arial", "Liberation Sans"), or "" for the desktop's sans-serif face.
QString layout_sans_face();
// Draws "MS Sans Serif" with `family` from now on ("": the desktop's sans-serif face), for
// trying the windows with other faces; reset goes back to the choice above.
void set_layout_sans_face(const QString& family);
void reset_layout_sans_face();

// A font named by a layout, at its size in points (0: the default size).
QFont layout_font(const std::string& name, double points);
// The font of every window and of each control that names no font of its own.
QFont default_window_font();

}  // namespace pakscour::qt
