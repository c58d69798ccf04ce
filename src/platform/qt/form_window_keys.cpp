// The keyboard of a form window: the tab order, and Enter and Esc as in a Windows dialog.
#include <QApplication>
#include <QPushButton>
#include <QShortcut>
#include <functional>

#include "platform/qt/form_window.h"

namespace pakscour::qt {

using forms::ControlKind;

void FormWindow::apply_tab_order() {
    QWidget* previous = nullptr;
    for (const std::string& name : form_->tab_order) {
        if (!form_->has(name)) continue;
        QWidget* w = widget_of(form_->ctl(name));
        if (!w) continue;
        if (previous) QWidget::setTabOrder(previous, w);
        previous = w;
    }
}

void FormWindow::add_dialog_keys() {
    // As the dialog keyboard interface of Windows answers them: Enter presses the push button
    // that has the focus, else the default button; Esc presses the cancel button; Space presses
    // the focused push button (the button's own key). Enter on any other control does nothing
    // in a window without a default button.
    forms::Control* default_button = nullptr;
    forms::Control* cancel_button = nullptr;
    bool any_button = false;
    for (const auto& c : form_->controls()) {
        if (c->kind() != ControlKind::CommandButton) continue;
        any_button = true;
        if (c->is_default && !default_button) default_button = c.get();
        if (c->is_cancel && !cancel_button) cancel_button = c.get();
    }
    auto press = [this](forms::Control* ctl) {
        QWidget* button = widget_of(*ctl);
        if (button && button->isEnabled() && button->isVisible())
            dispatch([ctl] { ctl->user_click(); });
    };
    auto add_key = [this](int key, const std::function<void()>& action) {
        auto* shortcut = new QShortcut(QKeySequence(key), this);
        shortcut->setContext(Qt::WindowShortcut);
        QObject::connect(shortcut, &QShortcut::activated, this, action);
    };
    if (any_button) {
        auto enter = [this, press, default_button] {
            auto* focused = qobject_cast<QPushButton*>(QApplication::focusWidget());
            if (focused && isAncestorOf(focused)) {
                if (focused->isEnabled()) focused->click();
                return;
            }
            if (default_button) press(default_button);
        };
        add_key(Qt::Key_Return, enter);
        add_key(Qt::Key_Enter, enter);
    }
    if (cancel_button) add_key(Qt::Key_Escape, [press, cancel_button] { press(cancel_button); });
}

}  // namespace pakscour::qt
