// Keeps the text of a label, check box or push button whole in its box whatever face draws it:
// where the layout's font would cut the text, the widget gets the same font made smaller, a
// quarter point at a time, until the text fits.
#pragma once

#include <QFont>

class QWidget;

namespace pakscour::qt {

// True when the widget's text is whole in its box with the widget's font: a word-wrapped label
// by the height its lines take, other texts by the width of their widest line (and a label of
// several lines by their height too). A one-line label holding a path is shortened in its
// middle when too long, so it always fits.
bool text_fits(const QWidget& w);

// Gives `w` the font `base`, made smaller only as far as its text needs to fit (down to two
// thirds of its size).
void set_fitted_font(QWidget& w, const QFont& base);

}  // namespace pakscour::qt
