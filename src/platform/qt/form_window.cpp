#include "platform/qt/form_window.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QGroupBox>
#include <QGuiApplication>
#include <QListView>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QTimer>
#include <QVBoxLayout>
#include <utility>

#include "platform/qt/control_widgets.h"
#include "platform/qt/pictures.h"
#include "platform/qt/qt_text.h"
#include "platform/qt/twips.h"
#include "platform/uncaught.h"

namespace pakscour::qt {

using forms::ControlKind;
using forms::Property;

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

QFont layout_font(const std::string& name, double points) {
    QFont font(to_qt(name));
    if (name.find("Courier") != std::string::npos)
        font.setStyleHint(QFont::TypeWriter);
    else
        font.setStyleHint(QFont::SansSerif);
    // "MS Sans Serif" is a narrow raster face: where it is missing, its outline look-alikes
    // (Arial metrics) take the same room at ten elevenths of the size, so the layouts' texts
    // still fit their labels.
    if (name == "MS Sans Serif" && !QFontDatabase::hasFamily(font.family()))
        points = points * 10.0 / 11.0;
    if (points > 0) font.setPointSizeF(points);
    return font;
}

QFont default_window_font() {
    return layout_font("MS Sans Serif", 8.25);
}

FormWindow::FormWindow(forms::Form& form, forms::Application& app, AppServices& services,
                       double dpi)
    : form_(&form), app_(app), services_(services), dpi_(dpi) {
    setObjectName(to_qt(form.name()));
    setFont(default_window_font());
    layout_ = new QVBoxLayout(this);
    layout_->setSpacing(0);
    layout_->setContentsMargins(0, 0, 0, 0);
    layout_->setSizeConstraint(QLayout::SetFixedSize);
    if (!form.menus().empty()) {
        menu_bar_ = new QMenuBar(this);
        menu_bar_->setNativeMenuBar(false);
        layout_->setMenuBar(menu_bar_);
        build_menus();
    }
    client_ = new QWidget(this);
    client_->setObjectName(QStringLiteral("client"));
    layout_->addWidget(client_);

    setWindowTitle(to_qt(form.caption()));
    if (!form.icon.empty()) setWindowIcon(load_icon(form.icon));
    apply_window_flags();
    build_controls();
    apply_size();
}

FormWindow::~FormWindow() = default;

void FormWindow::detach() {
    for (auto& [control, timer] : timers_) timer->stop();
    form_ = nullptr;
}

QWidget* FormWindow::widget_of(const forms::Control& c) const {
    auto it = widgets_.find(&c);
    return it == widgets_.end() ? nullptr : it->second;
}

QAction* FormWindow::action_of(const forms::MenuItem& m) const {
    auto it = actions_.find(&m);
    return it == actions_.end() ? nullptr : it->second;
}

QTimer* FormWindow::timer_of(const forms::Control& c) const {
    auto it = timers_.find(&c);
    return it == timers_.end() ? nullptr : it->second;
}

void FormWindow::apply_window_flags() {
    const forms::Form& f = *form_;
    Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint;
    const bool titled = f.has_caption && f.border != forms::BorderStyle::None;
    if (titled) {
        flags |= Qt::WindowTitleHint;
        if (f.control_box) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
        if (f.control_box && f.min_button) flags |= Qt::WindowMinimizeButtonHint;
        setFrameStyle(QFrame::NoFrame);
        layout_->setContentsMargins(0, 0, 0, 0);
    } else {
        // No title bar: the window manager draws nothing, so the window draws its own border
        // in the space that the model gives it.
        flags |= Qt::FramelessWindowHint;
        const int edge =
            twips_to_px(forms::non_client(f.border, false, false).horizontal / 2, dpi_);
        if (edge > 0) {
            setFrameStyle(QFrame::WinPanel | QFrame::Raised);
            const int inner = std::max(0, edge - frameWidth());
            layout_->setContentsMargins(inner, inner, inner, inner);
        }
    }
    if (f.topmost()) flags |= Qt::WindowStaysOnTopHint;
    const bool was_visible = isVisible();
    setWindowFlags(flags);
    if (was_visible) show();
}

void FormWindow::apply_size() {
    const int width = std::max(0, twips_to_px(form_->client_width(), dpi_));
    const int height = std::max(0, twips_to_px(form_->client_height(), dpi_));
    client_->setFixedSize(width, height);
    layout_->activate();
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
    add_default_and_cancel_keys();
}

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
    const forms::Font& font = c.font();
    if (!w || font.name.empty()) return;
    QFont f = layout_font(font.name, font.size > 0 ? font.size : 8.25);
    f.setBold(font.bold);
    f.setUnderline(font.underline);
    w->setFont(f);
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

void FormWindow::show_window() {
    if (!shown_once_) {
        shown_once_ = true;
        layout_->activate();
        adjustSize();
        if (form_ && form_->start_position == forms::StartPosition::CenterOwner && parentWidget()) {
            const QRect owner = parentWidget()->frameGeometry();
            move(owner.center() - QPoint(width() / 2, height() / 2));
        } else if (form_ && form_->start_position == forms::StartPosition::CenterScreen) {
            if (const QScreen* screen = QGuiApplication::primaryScreen()) {
                QRect area = screen->availableGeometry();
                move(area.center() - QPoint(width() / 2, height() / 2));
            }
        }
        show();
        if (form_) {
            for (const std::string& name : form_->tab_order) {
                if (!form_->has(name)) continue;
                QWidget* w = widget_of(form_->ctl(name));
                if (w && w->isEnabled() && w->isVisibleTo(this) &&
                    w->focusPolicy() != Qt::NoFocus) {
                    w->setFocus();
                    break;
                }
            }
        }
    } else {
        if (isMinimized()) showNormal();
        show();
    }
    raise();
    activateWindow();
}

void FormWindow::flush_list(const forms::Control& c) {
    auto pending = pending_items_.find(&c);
    if (pending == pending_items_.end()) return;
    QStringList texts = std::move(pending->second);
    pending_items_.erase(pending);
    if (auto list = lists_.find(&c); list != lists_.end()) list->second->append(texts);
}

void FormWindow::control_changed(forms::Control& c, Property p) {
    QWidget* w = widget_of(c);
    switch (p) {
        case Property::Caption:
            if (w) apply_caption(c);
            break;
        case Property::Enabled:
            if (w) w->setEnabled(c.enabled());
            break;
        case Property::Visible:
            if (w) w->setVisible(c.visible());
            break;
        case Property::Value:
            if (auto* box = qobject_cast<QCheckBox*>(w)) {
                const QSignalBlocker block(box);
                box->setChecked(c.value() != 0);
            }
            break;
        case Property::ToolTip:
            if (w) w->setToolTip(to_qt(c.tooltip()));
            break;
        case Property::ListAdd: {
            // Entries are handed to the view in one batch once the current event is done, so a
            // scan that adds thousands of names does not lay out the view thousands of times.
            if (!lists_.count(&c) || c.items().empty()) break;
            QStringList& pending = pending_items_[&c];
            if (pending.isEmpty()) {
                const forms::Control* key = &c;
                QMetaObject::invokeMethod(
                    this, [this, key] { flush_list(*key); }, Qt::QueuedConnection);
            }
            pending.append(to_qt(c.items().back()));
            break;
        }
        case Property::ListClear:
            pending_items_.erase(&c);
            if (auto list = lists_.find(&c); list != lists_.end()) list->second->clear();
            break;
        case Property::Font:
            apply_font(c);
            break;
        case Property::ForeColor:
            apply_color(c);
            break;
        case Property::Geometry:
            apply_geometry(c);
            break;
        case Property::TimerEnabled:
        case Property::TimerInterval:
            apply_timer(c);
            break;
        case Property::Focus:
            if (w) w->setFocus();
            break;
        case Property::ListIndex:
            if (auto* view = qobject_cast<QListView*>(w)) {
                // The entries added within this event reach the view first.
                flush_list(c);
                const QSignalBlocker block(view->selectionModel());
                if (c.list_index() < 0) {
                    view->clearSelection();
                    view->setCurrentIndex(QModelIndex());
                } else {
                    const QModelIndex at = view->model()->index(c.list_index(), 0);
                    view->setCurrentIndex(at);
                    view->selectionModel()->select(at, QItemSelectionModel::ClearAndSelect);
                }
                view->viewport()->update();
            }
            break;
        default:
            break;
    }
}

void FormWindow::form_changed(forms::Form& f, Property p) {
    switch (p) {
        case Property::Caption:
            setWindowTitle(to_qt(f.caption()));
            break;
        case Property::Width:
        case Property::Height:
            apply_size();
            break;
        case Property::Topmost:
            apply_window_flags();
            break;
        default:
            break;
    }
}

void FormWindow::closeEvent(QCloseEvent* event) {
    // The model decides: unloading destroys this window (later, safely) unless it refuses.
    event->ignore();
    forms::Form* f = form_;
    if (f) dispatch([this, f] { app_.unload(*f); });
}

}  // namespace pakscour::qt
