// The controls of a form window: one Qt widget per control, made from the layout table, and
// each property of a control applied to its widget.
#include <QGroupBox>
#include <QListView>
#include <QPushButton>
#include <QTimer>

#include "platform/qt/control_widgets.h"
#include "platform/qt/form_window.h"
#include "platform/qt/layout_fonts.h"
#include "platform/qt/pictures.h"
#include "platform/qt/qt_text.h"
#include "platform/qt/text_fit.h"
#include "platform/qt/twips.h"

namespace pakscour::qt {

using forms::ControlKind;

namespace {

QString object_name(const forms::Control& c) {
    QString name = to_qt(c.name());
    if (c.index() != forms::no_index) name += QStringLiteral("(%1)").arg(c.index());
    return name;
}

Qt::Alignment label_alignment(forms::Alignment a) {
    switch (a) {
        case forms::Alignment::Center:
            return Qt::AlignHCenter | Qt::AlignTop;
        case forms::Alignment::Right:
            return Qt::AlignRight | Qt::AlignTop;
        case forms::Alignment::Left:
            break;
    }
    return Qt::AlignLeft | Qt::AlignTop;
}

// The text colour role that each kind of widget paints its text with.
QPalette::ColorRole text_role(ControlKind kind) {
    switch (kind) {
        case ControlKind::CommandButton:
            return QPalette::ButtonText;
        case ControlKind::ListBox:
            return QPalette::Text;
        default:
            return QPalette::WindowText;
    }
}

}  // namespace

QWidget* FormWindow::make_widget(forms::Control& c, QWidget* parent) {
    forms::Control* ctl = &c;
    QWidget* w = nullptr;
    switch (c.kind()) {
        case ControlKind::Label: {
            auto* label = new ClickLabel(parent);
            label->setTextFormat(Qt::PlainText);
            label->setWordWrap(c.word_wrap);
            label->setAlignment(label_alignment(c.alignment));
            label->on_click = [this, ctl] { dispatch([ctl] { ctl->user_click(); }); };
            w = label;
            break;
        }
        case ControlKind::CheckBox: {
            auto* box = new ModelCheckBox(parent);
            box->setChecked(c.value() != 0);
            box->on_toggle = [this, ctl] { dispatch([ctl] { ctl->user_click(); }); };
            w = box;
            break;
        }
        case ControlKind::CommandButton: {
            auto* button = new QPushButton(parent);
            button->setAutoDefault(false);
            button->setDefault(c.is_default);
            QObject::connect(button, &QPushButton::clicked, this,
                             [this, ctl] { dispatch([ctl] { ctl->user_click(); }); });
            w = button;
            break;
        }
        case ControlKind::ListBox: {
            auto* view = new QListView(parent);
            auto* entries = new ListEntries(view);
            view->setModel(entries);
            view->setItemDelegate(new ListRowDelegate(view));
            view->setUniformItemSizes(true);
            view->setEditTriggers(QAbstractItemView::NoEditTriggers);
            view->setSelectionMode(QAbstractItemView::SingleSelection);
            QStringList texts;
            for (const std::string& item : c.items()) texts.append(to_qt(item));
            entries->append(texts);
            lists_[ctl] = entries;
            if (c.list_index() >= 0) view->setCurrentIndex(entries->index(c.list_index()));
            QObject::connect(view, &QAbstractItemView::doubleClicked, this,
                             [this, ctl](const QModelIndex& at) {
                                 if (at.isValid()) dispatch([ctl] { ctl->user_double_click(); });
                             });
            QObject::connect(
                view->selectionModel(), &QItemSelectionModel::currentChanged, this,
                [this, ctl](const QModelIndex& now) {
                    const int i = now.isValid() ? now.row() : -1;
                    dispatch([ctl, i] { ctl->set_list_index(i < ctl->list_count() ? i : -1); });
                });
            w = view;
            break;
        }
        case ControlKind::Frame: {
            // The classic frame: an etched line whose caption sits on the top edge, so the
            // layouts' first rows (some 16 pixels down) clear the line.
            auto* box = new QGroupBox(parent);
            box->setStyleSheet(QStringLiteral(
                "QGroupBox { border: 2px groove palette(mid); margin-top: 6px; padding: 0px; }"
                "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left;"
                " left: 6px; top: -1px; padding: 0px 2px; }"));
            w = box;
            break;
        }
        case ControlKind::PictureBox: {
            auto* picture = new QLabel(parent);
            picture->setFrameStyle(QFrame::Panel | QFrame::Sunken);
            picture->setLineWidth(2);
            picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            picture->setPixmap(load_picture(c.picture, picture->devicePixelRatioF()));
            w = picture;
            break;
        }
        case ControlKind::Line:
            w = new LineWidget(parent);
            break;
        case ControlKind::Timer: {
            auto* timer = new QTimer(this);
            timer->setObjectName(object_name(c));
            QObject::connect(timer, &QTimer::timeout, this,
                             [this, ctl] { dispatch([ctl] { ctl->fire_timer(); }); });
            timers_[ctl] = timer;
            apply_timer(c);
            return nullptr;
        }
    }
    w->setObjectName(object_name(c));
    return w;
}

void FormWindow::build_controls() {
    for (const auto& c : form_->controls()) {
        if (QWidget* w = make_widget(*c, client_)) widgets_[c.get()] = w;
    }
    // Controls inside a group box are children of it, placed relative to it.
    for (const auto& c : form_->controls()) {
        QWidget* w = widget_of(*c);
        if (!w || c->container().empty() || !form_->has(c->container())) continue;
        QWidget* box = widget_of(form_->ctl(c->container()));
        if (box && box != w) w->setParent(box);
    }
    for (const auto& c : form_->controls()) {
        QWidget* w = widget_of(*c);
        if (!w) continue;
        apply_geometry(*c);
        apply_caption(*c);
        apply_font(*c);
        apply_color(*c);
        w->setToolTip(to_qt(c->tooltip()));
        w->setEnabled(c->enabled());
        w->setVisible(c->visible());
        // Lines lie under the other controls; of two overlapping lines the one stored first is
        // drawn on top, which gives the etched look of a thin dark line over a wide light one.
        if (c->kind() == ControlKind::Line) w->lower();
    }
    // A label's access key gives the focus to the control it names.
    for (const auto& c : form_->controls()) {
        auto* label = qobject_cast<QLabel*>(widget_of(*c));
        if (!label || c->kind() != ControlKind::Label || c->access_key_target.empty() ||
            !form_->has(c->access_key_target))
            continue;
        label->setBuddy(widget_of(form_->ctl(c->access_key_target)));
    }
    apply_tab_order();
    add_dialog_keys();
}

void FormWindow::apply_geometry(forms::Control& c) {
    QWidget* w = widget_of(c);
    if (!w) return;
    const forms::Rect& r = c.rect();
    if (c.kind() == ControlKind::Line) {
        static_cast<LineWidget*>(w)->set_line(twips_to_px(r.left, dpi_), twips_to_px(r.top, dpi_),
                                              twips_to_px(r.width, dpi_),
                                              twips_to_px(r.height, dpi_), c.line_width);
        return;
    }
    const PixelRect px = twips_to_px(r, dpi_);
    w->setGeometry(px.x, px.y, px.width, px.height);
}

void FormWindow::apply_caption(forms::Control& c) {
    QWidget* w = widget_of(c);
    switch (c.kind()) {
        case ControlKind::Label:
            static_cast<QLabel*>(w)->setText(with_line_breaks(c.caption()));
            break;
        case ControlKind::CheckBox:
        case ControlKind::CommandButton:
            static_cast<QAbstractButton*>(w)->setText(to_qt(c.caption()));
            break;
        case ControlKind::Frame:
            static_cast<QGroupBox*>(w)->setTitle(to_qt(c.caption()));
            break;
        default:
            break;
    }
}

void FormWindow::apply_font(forms::Control& c) {
    QWidget* w = widget_of(c);
    if (!w) return;
    const forms::Font& font = c.font();
    QFont f = default_window_font();
    if (!font.name.empty()) {
        f = layout_font(font.name, font.size > 0 ? font.size : 8.25);
        f.setBold(font.bold);
        f.setUnderline(font.underline);
    }
    switch (c.kind()) {
        case ControlKind::Label:
        case ControlKind::CheckBox:
        case ControlKind::CommandButton:
            set_fitted_font(*w, f);
            break;
        default:
            if (!font.name.empty()) w->setFont(f);
            break;
    }
}

void FormWindow::apply_color(forms::Control& c) {
    QWidget* w = widget_of(c);
    if (!w || !c.fore_color()) return;
    const forms::Color& rgb = *c.fore_color();
    const QColor color(rgb.red, rgb.green, rgb.blue);
    if (c.kind() == ControlKind::Line) {
        static_cast<LineWidget*>(w)->set_color(color);
        return;
    }
    QPalette palette = w->palette();
    palette.setColor(text_role(c.kind()), color);
    w->setPalette(palette);
}

void FormWindow::apply_timer(forms::Control& c) {
    QTimer* t = timer_of(c);
    if (!t) return;
    if (c.timer_enabled() && c.interval() > 0) {
        if (!t->isActive() || t->interval() != c.interval()) t->start(c.interval());
    } else {
        t->stop();
    }
}

void FormWindow::flush_list(const forms::Control& c) {
    auto pending = pending_items_.find(&c);
    if (pending == pending_items_.end()) return;
    QStringList texts = std::move(pending->second);
    pending_items_.erase(pending);
    if (auto list = lists_.find(&c); list != lists_.end()) list->second->append(texts);
}

}  // namespace pakscour::qt
