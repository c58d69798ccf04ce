#include "platform/qt/control_widgets.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <algorithm>

namespace pakscour::qt {

void ClickLabel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) &&
        on_click)
        on_click();
}

void ClickLabel::paintEvent(QPaintEvent* event) {
    const QString full = text();
    const QRect area = contentsRect();
    if (wordWrap() || !full.contains(QLatin1Char('\\')) || full.contains(QLatin1Char('\n')) ||
        fontMetrics().horizontalAdvance(full) <= area.width()) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    style()->drawItemText(
        &painter, area,
        QStyle::visualAlignment(layoutDirection(), alignment()) | Qt::TextHideMnemonic, palette(),
        isEnabled(), fontMetrics().elidedText(full, Qt::ElideMiddle, area.width()),
        foregroundRole());
}

void ModelCheckBox::nextCheckState() {
    if (on_toggle) on_toggle();
}

LineWidget::LineWidget(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void LineWidget::set_line(int x1, int y1, int x2, int y2, int width) {
    width_ = std::max(1, width);
    // The widget covers the line's bounding box; a wide line grows right and down from its
    // end points, as a pen drawn inside the line's own rectangle.
    const int left = std::min(x1, x2);
    const int top = std::min(y1, y2);
    x1_ = x1 - left;
    y1_ = y1 - top;
    x2_ = x2 - left;
    y2_ = y2 - top;
    setGeometry(left, top, std::abs(x2 - x1) + width_, std::abs(y2 - y1) + width_);
    update();
}

void LineWidget::set_color(const QColor& c) {
    color_ = c;
    update();
}

void LineWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (y1_ == y2_ || x1_ == x2_) {
        // Horizontal and vertical lines fill whole pixel rows or columns.
        p.fillRect(QRect(QPoint(std::min(x1_, x2_), std::min(y1_, y2_)),
                         QPoint(std::max(x1_, x2_) + width_ - 1, std::max(y1_, y2_) + width_ - 1)),
                   color_);
        return;
    }
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(color_, width_));
    const double half = width_ / 2.0;
    p.drawLine(QPointF(x1_ + half, y1_ + half), QPointF(x2_ + half, y2_ + half));
}

QSize ListRowDelegate::sizeHint(const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    const QFontMetrics& fm = option.fontMetrics;
    // The text from its ascent to the lower of its descent and its underscore, and a pixel
    // above and below for the focus frame.
    const int below = std::max(fm.descent(), fm.boundingRect(QLatin1Char('_')).bottom() + 1);
    size.setHeight(std::max(size.height(), fm.ascent() + below + 2));
    return size;
}

int ListEntries::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(entries_.size());
}

QVariant ListEntries::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= entries_.size()) return {};
    if (role == Qt::DisplayRole) return entries_.at(index.row());
    return {};
}

void ListEntries::append(const QStringList& texts) {
    if (texts.isEmpty()) return;
    const int first = static_cast<int>(entries_.size());
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(texts.size()) - 1);
    entries_.append(texts);
    endInsertRows();
}

void ListEntries::clear() {
    if (entries_.isEmpty()) return;
    beginResetModel();
    entries_.clear();
    endResetModel();
}

}  // namespace pakscour::qt
