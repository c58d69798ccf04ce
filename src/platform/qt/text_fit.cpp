#include "platform/qt/text_fit.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>

namespace pakscour::qt {

namespace {

constexpr int text_flags = Qt::TextShowMnemonic | Qt::TextExpandTabs;

bool label_fits(const QLabel& label) {
    const QString text = label.text();
    if (text.isEmpty()) return true;
    if (label.wordWrap()) return label.heightForWidth(label.width()) <= label.height();
    const bool one_line = !text.contains(QLatin1Char('\n'));
    // A path is shortened in its middle (ClickLabel), so it is always whole enough to read.
    if (one_line && text.contains(QLatin1Char('\\'))) return true;
    const QRect area = label.contentsRect();
    const QSize size = label.fontMetrics().size(text_flags, text);
    return size.width() <= area.width() && (one_line || size.height() <= area.height());
}

// The room a button's style leaves for its text.
int button_text_room(const QAbstractButton& button) {
    QStyleOptionButton option;
    option.initFrom(&button);
    option.text = button.text();
    if (qobject_cast<const QCheckBox*>(&button))
        return button.style()
            ->subElementRect(QStyle::SE_CheckBoxContents, &option, &button)
            .width();
    return button.style()->subElementRect(QStyle::SE_PushButtonContents, &option, &button).width();
}

}  // namespace

bool text_fits(const QWidget& w) {
    if (const auto* label = qobject_cast<const QLabel*>(&w)) {
        if (!label->pixmap().isNull()) return true;
        return label_fits(*label);
    }
    if (const auto* button = qobject_cast<const QAbstractButton*>(&w)) {
        if (button->text().isEmpty()) return true;
        return button->fontMetrics().size(text_flags, button->text()).width() <=
               button_text_room(*button);
    }
    return true;
}

void set_fitted_font(QWidget& w, const QFont& base) {
    w.setFont(base);
    const double size = base.pointSizeF();
    if (size <= 0 || text_fits(w)) return;
    QFont smaller = base;
    for (double points = size - 0.25; points >= size * 2.0 / 3.0; points -= 0.25) {
        smaller.setPointSizeF(points);
        w.setFont(smaller);
        if (text_fits(w)) return;
    }
}

}  // namespace pakscour::qt
