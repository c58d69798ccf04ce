// The Qt widgets behind form-model controls that need more than a stock widget: a label that
// reports clicks and shortens a long path, a check box whose state only the model changes, a drawn
// line, and the entries of a list box as a list model that takes many entries at once, in rows
// sized by the face's metrics.
#pragma once

#include <QAbstractListModel>
#include <QCheckBox>
#include <QColor>
#include <QLabel>
#include <QStringList>
#include <QStyledItemDelegate>
#include <QWidget>
#include <functional>

namespace pakscour::qt {

// A label that calls `on_click` when the left button is released over it. A one-line label
// whose text is a path too long for it shows the path shortened in the middle, so that its end
// stays in view; text() is still the whole text.
class ClickLabel : public QLabel {
  public:
    using QLabel::QLabel;
    std::function<void()> on_click;

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};

// A check box that never toggles itself: a click (mouse, Space, mnemonic) calls `on_toggle`,
// and the state shown is whatever the model then says.
class ModelCheckBox : public QCheckBox {
  public:
    using QCheckBox::QCheckBox;
    std::function<void()> on_toggle;

  protected:
    void nextCheckState() override;
};

// A straight line from (x1, y1) to (x2, y2) in the widget's parent coordinates.
class LineWidget : public QWidget {
  public:
    explicit LineWidget(QWidget* parent);
    void set_line(int x1, int y1, int x2, int y2, int width);
    void set_color(const QColor& c);
    QColor color() const { return color_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    int x1_ = 0, y1_ = 0, x2_ = 0, y2_ = 0, width_ = 1;
    QColor color_{Qt::black};
};

// The rows of a list box, as tall as the face's underscore needs: an underscore that some faces
// draw below their descent would otherwise lie on the selected row's focus frame, and a name
// such as zzz_svr_adminmod_v3 would read as if it had blanks.
class ListRowDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

// The entries of a list box, in the order they were added.
class ListEntries : public QAbstractListModel {
  public:
    using QAbstractListModel::QAbstractListModel;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    void append(const QStringList& texts);
    void clear();
    const QStringList& entries() const { return entries_; }

  private:
    QStringList entries_;
};

}  // namespace pakscour::qt
