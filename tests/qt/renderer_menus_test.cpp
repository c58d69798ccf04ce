// Menus rendered by Qt: drop-downs, sub-menus, separators, mnemonics, check marks owned by the
// model, disabled items and the F1 shortcut.
#include <doctest/doctest.h>

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

#include "rig.h"

using namespace pakscour;

namespace {

struct MenuWindow {
    forms::Form form{"frmMenus"};
    int help_clicks = 0;
    int option_clicks = 0;
    int stubborn_clicks = 0;

    MenuWindow() {
        form.build = [this](forms::Form& f) {
            f.set_client_size(4000, 2000);
            f.add_menu("mnuFile", "&File", "");
            f.add_menu("mnuFileExit", "E&xit", "mnuFile");
            f.add_menu("mnuOptions", "&Options", "");
            f.add_menu("mnuOptionsUo", "UO", "mnuOptions");
            forms::MenuItem& option = f.add_menu("mnuOption", "&Keep Map Pack", "mnuOptionsUo");
            option.set_checked(true);
            option.set_enabled(false);
            option.on_click = [this, &f] {
                ++option_clicks;
                f.menu("mnuOption").set_checked(!f.menu("mnuOption").checked());
            };
            f.add_menu("mnuHelp", "&Help", "");
            forms::MenuItem& help = f.add_menu("mnuHelpAlien", "&What is it", "mnuHelp");
            help.shortcut = "F1";
            help.on_click = [this, &f] {
                ++help_clicks;
                f.menu("mnuHelpAlien").set_checked(!f.menu("mnuHelpAlien").checked());
            };
            // Its procedure leaves the check mark alone, whatever Qt would do.
            forms::MenuItem& stubborn = f.add_menu("mnuStubborn", "&Stubborn", "mnuHelp");
            stubborn.set_checked(true);
            stubborn.on_click = [this] { ++stubborn_clicks; };
            f.add_menu("mnuHelpSpacer1", "-", "mnuHelp");
            f.add_menu("mnuHelpAbout", "&About", "mnuHelp");
        };
    }
};

QMenu* top_menu(QMenuBar* bar, const QString& title) {
    for (QAction* a : bar->actions())
        if (a->text() == title) return a->menu();
    return nullptr;
}

}  // namespace

TEST_CASE("the menu bar holds drop-downs, a sub-menu and a separator, with mnemonics") {
    test::QtRig rig;
    MenuWindow w;
    rig.forms.show(w.form);
    QMenuBar* bar = rig.window(w.form)->menu_bar();
    REQUIRE(bar);
    QStringList titles;
    for (QAction* a : bar->actions()) titles << a->text();
    CHECK(titles == QStringList{"&File", "&Options", "&Help"});
    QMenu* options = top_menu(bar, "&Options");
    REQUIRE(options);
    REQUIRE(options->actions().size() == 1);
    QMenu* uo = options->actions()[0]->menu();
    REQUIRE(uo);
    CHECK(uo->title() == "UO");
    CHECK(uo->actions()[0]->text() == "&Keep Map Pack");
    QMenu* help = top_menu(bar, "&Help");
    QStringList help_items;
    for (QAction* a : help->actions()) help_items << (a->isSeparator() ? "-" : a->text());
    CHECK(help_items == QStringList{"&What is it", "&Stubborn", "-", "&About"});
    rig.forms.unload(w.form);
}

TEST_CASE("check marks and enabled states are the model's") {
    test::QtRig rig;
    MenuWindow w;
    rig.forms.show(w.form);
    qt::FormWindow* win = rig.window(w.form);
    QAction* option = win->action_of(w.form.menu("mnuOption"));
    QAction* help = win->action_of(w.form.menu("mnuHelpAlien"));
    QAction* stubborn = win->action_of(w.form.menu("mnuStubborn"));
    REQUIRE(option);
    REQUIRE(help);
    REQUIRE(stubborn);

    CHECK(option->isChecked());
    CHECK_FALSE(option->isEnabled());
    option->trigger();
    CHECK(w.option_clicks == 0);
    CHECK(option->isChecked());

    w.form.menu("mnuOption").set_enabled(true);
    CHECK(option->isEnabled());
    option->trigger();
    CHECK(w.option_clicks == 1);
    CHECK_FALSE(w.form.menu("mnuOption").checked());
    CHECK_FALSE(option->isChecked());
    option->trigger();
    CHECK(option->isChecked());

    // Qt toggles a checkable action by itself; the model's mark wins.
    stubborn->trigger();
    CHECK(w.stubborn_clicks == 1);
    CHECK(stubborn->isChecked());

    // An unticked item is not checkable, so no empty box is drawn beside it.
    CHECK_FALSE(help->isChecked());
    CHECK_FALSE(help->isCheckable());
    w.form.menu("mnuHelpAlien").set_checked(true);
    CHECK(help->isChecked());
    rig.forms.unload(w.form);
}

TEST_CASE("F1 chooses its item once per press; a disabled item's key does nothing") {
    test::QtRig rig;
    MenuWindow w;
    rig.show_active(w.form);
    qt::FormWindow* win = rig.window(w.form);
    QAction* help = win->action_of(w.form.menu("mnuHelpAlien"));
    CHECK(help->shortcut() == QKeySequence(Qt::Key_F1));
    QTest::keyClick(win, Qt::Key_F1);
    CHECK(w.help_clicks == 1);
    CHECK(help->isChecked());
    QTest::keyClick(win, Qt::Key_F1);
    CHECK(w.help_clicks == 2);
    CHECK_FALSE(help->isChecked());

    w.form.menu("mnuHelpAlien").set_enabled(false);
    QTest::keyClick(win, Qt::Key_F1);
    CHECK(w.help_clicks == 2);
    rig.forms.unload(w.form);
}
