#include "platform/qt/form_window.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QListView>
#include <QMenuBar>
#include <QScreen>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QTimer>
#include <QVBoxLayout>
#include <utility>

#include "platform/qt/control_widgets.h"
#include "platform/qt/layout_fonts.h"
#include "platform/qt/pictures.h"
#include "platform/qt/qt_text.h"
#include "platform/qt/twips.h"
#include "platform/uncaught.h"

namespace pakscour::qt {

using forms::ControlKind;
using forms::Property;

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
    client_ = new QWidget;
    client_->setObjectName(QStringLiteral("client"));
    scroll_ = new QScrollArea(this);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setFocusPolicy(Qt::NoFocus);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll_->setWidget(client_);
    layout_->addWidget(scroll_);

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
    const bool grown = height > client_->height();
    client_->setFixedSize(width, height);
    scroll_->setFixedSize(width, height);
    layout_->activate();
    if (shown_once_) keep_on_screen(grown);
}

void FormWindow::show_window() {
    if (!shown_once_) {
        shown_once_ = true;
        layout_->activate();
        adjustSize();
        keep_on_screen(false);
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

void FormWindow::control_changed(forms::Control& c, Property p) {
    QWidget* w = widget_of(c);
    switch (p) {
        case Property::Caption:
            if (w) {
                apply_caption(c);
                apply_font(c);
            }
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
            apply_font(c);
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
