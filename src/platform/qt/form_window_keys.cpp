// The keyboard of a form window: the tab order, and Enter and Esc for the default and cancel
// buttons.
#include <QApplication>
#include <QPushButton>
#include <QShortcut>
#include <vector>

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

void FormWindow::add_default_and_cancel_keys() {
    for (const auto& c : form_->controls()) {
        if (c->kind() != ControlKind::CommandButton || (!c->is_default && !c->is_cancel)) continue;
        forms::Control* ctl = c.get();
        QWidget* button = widget_of(*ctl);
        auto press = [this, ctl, button] {
            if (button->isEnabled() && button->isVisible()) dispatch([ctl] { ctl->user_click(); });
        };
        // Enter presses the push button that has the focus, as in any dialog, and the default
        // button otherwise.
        auto enter = [this, press] {
            auto* focused = qobject_cast<QPushButton*>(QApplication::focusWidget());
            if (focused && isAncestorOf(focused)) {
                if (focused->isEnabled()) focused->click();
                return;
            }
            press();
        };
        std::vector<int> keys;
        if (c->is_default) keys.insert(keys.end(), {Qt::Key_Return, Qt::Key_Enter});
        if (c->is_cancel) keys.push_back(Qt::Key_Escape);
        for (int key : keys) {
            auto* shortcut = new QShortcut(QKeySequence(key), this);
            shortcut->setContext(Qt::WindowShortcut);
            if (key == Qt::Key_Escape)
                QObject::connect(shortcut, &QShortcut::activated, this, press);
            else
                QObject::connect(shortcut, &QShortcut::activated, this, enter);
        }
    }
}

}  // namespace pakscour::qt
