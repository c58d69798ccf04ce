// The menu bar of a FormWindow: drop-downs and sub-menus for items that hold others, actions
// for the rest, separators for "-". The model owns every check mark: Qt's own toggling of a
// checkable action is undone before the item's procedure runs.
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QSignalBlocker>
#include <set>
#include <string>

#include "platform/qt/form_window.h"
#include "platform/qt/qt_text.h"
#include "platform/uncaught.h"

namespace pakscour::qt {

void FormWindow::build_menus() {
    std::set<std::string> parents;
    for (const auto& m : form_->menus())
        if (!m->parent().empty()) parents.insert(m->parent());

    for (const auto& item : form_->menus()) {
        forms::MenuItem* m = item.get();
        QMenu* parent_menu = nullptr;
        if (!m->parent().empty()) {
            for (const auto& [candidate, menu] : menus_)
                if (candidate->name() == m->parent()) parent_menu = menu;
        }
        QWidget* parent = parent_menu ? static_cast<QWidget*>(parent_menu) : menu_bar_;
        QAction* action = nullptr;
        if (m->separator()) {
            action = parent_menu ? parent_menu->addSeparator() : menu_bar_->addSeparator();
        } else if (parents.count(m->name())) {
            auto* menu = new QMenu(to_qt(m->caption()), parent);
            if (parent_menu)
                parent_menu->addMenu(menu);
            else
                menu_bar_->addMenu(menu);
            menu->setObjectName(to_qt(m->name()));
            QObject::connect(menu, &QMenu::aboutToShow, this,
                             [this, m] { dispatch([m] { m->user_click(); }); });
            menus_[m] = menu;
            action = menu->menuAction();
        } else {
            action = new QAction(to_qt(m->caption()), this);
            parent->addAction(action);
            if (!m->shortcut.empty()) {
                action->setShortcut(QKeySequence::fromString(to_qt(m->shortcut)));
                action->setShortcutContext(Qt::WindowShortcut);
                // Also on the window itself, so the key works while no menu is open.
                addAction(action);
            }
            QObject::connect(action, &QAction::triggered, this, [this, m, action] {
                if (form_) {
                    const QSignalBlocker block(action);
                    action->setCheckable(m->checked());
                    action->setChecked(m->checked());
                }
                dispatch([m] { m->user_click(); });
            });
        }
        action->setObjectName(to_qt(m->name()));
        actions_[m] = action;
        apply_menu(*m);
    }
}

void FormWindow::apply_menu(forms::MenuItem& m) {
    QAction* action = action_of(m);
    if (!action) return;
    action->setEnabled(m.enabled());
    if (m.separator() || menus_.count(&m)) return;
    // Only a ticked item is checkable, so an unticked one shows no empty check box.
    const QSignalBlocker block(action);
    action->setCheckable(m.checked());
    action->setChecked(m.checked());
}

void FormWindow::menu_changed(forms::MenuItem& m, forms::Property) {
    apply_menu(m);
}

}  // namespace pakscour::qt
