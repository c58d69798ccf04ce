// The real main window on Qt: its check boxes and status texts, help toggle and map-pack
// option worked through the widgets and read back from them.
#include <doctest/doctest.h>

#include <QScrollArea>
#include <QTest>
#include <algorithm>

#include "main_rig.h"

using namespace pakscour;

TEST_CASE("clicking the game boxes keeps at most one ticked and reports each scan") {
    test::MainRig rig;
    // After every run of a box's handler, nested ones included, at most one box is ticked.
    int worst = 0;
    for (const char* name : {"chkCleanCod", "chkCleanUo", "chkCleanCod2"}) {
        forms::Control& c = rig.main.ctl(name);
        auto handler = c.on_click;
        c.on_click = [&rig, &worst, handler] {
            handler();
            worst = std::max(worst, rig.boxes_ticked_on_screen());
        };
    }
    struct Step {
        const char* box;
        QString status;
        QStringList list;
    };
    const Step steps[] = {
        {"chkCleanCod", "Found 3 Alien PK3 files", {"mod_a.pk3", "zz_maps.pk3", "user.pk3"}},
        {"chkCleanUo", "Found 1 Alien PK3 files", {"uo_mod.pk3"}},
        {"chkCleanCod2", "There are no alien IWD files in your Main folder", {}},
        {"chkCleanCod2", "There are no alien IWD files in your Main folder", {}},
        {"chkCleanCod", "Found 3 Alien PK3 files", {"mod_a.pk3", "zz_maps.pk3", "user.pk3"}},
        {"chkCleanCod", "Found 3 Alien PK3 files", {"mod_a.pk3", "zz_maps.pk3", "user.pk3"}},
    };
    for (const Step& s : steps) {
        CAPTURE(std::string(s.box));
        QCheckBox* box = rig.box(s.box);
        REQUIRE(box->isEnabled());
        QTest::mouseClick(box, Qt::LeftButton, {}, test::box_point(box));
        CHECK(box->isChecked());
        CHECK(rig.boxes_ticked_on_screen() == 1);
        CHECK(rig.main.ctl(s.box).value() == 1);
        CHECK(rig.status() == s.status);
        CHECK(rig.list_shown() == s.list);
    }
    CHECK(worst == 1);

    // A game with nothing alien says so for its own folder.
    rig.fs.listings["C:\\CoD\\uo\\*.pk3"] = {"pakuo00.pk3"};
    QTest::mouseClick(rig.box("chkCleanUo"), Qt::LeftButton, {},
                      test::box_point(rig.box("chkCleanUo")));
    CHECK(rig.status() == "There are no alien PK3 files in your UO folder");
    rig.fs.listings["C:\\CoD\\Main\\*.pk3"] = {"pak0.pk3"};
    QTest::mouseClick(rig.box("chkCleanCod"), Qt::LeftButton, {},
                      test::box_point(rig.box("chkCleanCod")));
    CHECK(rig.status() == "There are no alien PK3 files in your CoD folder");
    CHECK(rig.list_shown().isEmpty());
}

TEST_CASE("F1 shows the help panel by growing the window 3545 twips, and F1 again restores it") {
    test::MainRig rig;
    qt::FormWindow* w = rig.window(rig.main);
    QWidget* help = rig.widget<QWidget>(rig.main, "Frame2");
    QWidget* status = rig.widget<QWidget>(rig.main, "lblStatusBar");
    const int client = w->client()->height();
    const int outer = w->height();
    CHECK(client == rig.px(5685 - 735));
    // Only the status line is in view at the start; the help panel lies below the edge.
    CHECK(status->geometry().bottom() < client);
    CHECK(help->geometry().top() >= client);
    CHECK_FALSE(rig.action("mnuHelpAlien")->isChecked());

    QTest::keyClick(w, Qt::Key_F1);
    CHECK(rig.action("mnuHelpAlien")->isChecked());
    CHECK(rig.main.height() == 9230);
    CHECK(w->client()->height() == rig.px(9230 - 735));
    CHECK(w->height() - outer == w->client()->height() - client);
    CHECK(std::abs((w->client()->height() - client) - rig.px(3545)) <= 1);
    CHECK(help->geometry().bottom() < w->client()->height());

    QTest::keyClick(w, Qt::Key_F1);
    CHECK_FALSE(rig.action("mnuHelpAlien")->isChecked());
    CHECK(rig.main.height() == 5685);
    CHECK(w->client()->height() == client);
    CHECK(w->height() == outer);
}

TEST_CASE("the map-pack option rebuilds the United Offensive list at once") {
    test::MainRig rig;
    QAction* option = rig.action("mnuOptionsUOMapPack");
    CHECK(option->isChecked());
    CHECK_FALSE(option->isEnabled());
    QTest::mouseClick(rig.box("chkCleanUo"), Qt::LeftButton, {},
                      test::box_point(rig.box("chkCleanUo")));
    // The probe found the official map packs: the option is offered.
    CHECK(option->isEnabled());
    CHECK(rig.list_shown() == QStringList{"uo_mod.pk3"});

    option->trigger();
    CHECK_FALSE(option->isChecked());
    CHECK_FALSE(rig.ctx.state.keep_uo_map_pack);
    CHECK(rig.list_shown() == QStringList{"uomappack1.pk3", "uo_mod.pk3"});
    CHECK(rig.status() == "Found 2 Alien PK3 files");

    option->trigger();
    CHECK(option->isChecked());
    CHECK(rig.list_shown() == QStringList{"uo_mod.pk3"});

    // With another game selected only the mark and the rule change.
    QTest::mouseClick(rig.box("chkCleanCod"), Qt::LeftButton, {},
                      test::box_point(rig.box("chkCleanCod")));
    const QStringList cod = rig.list_shown();
    option->trigger();
    CHECK_FALSE(option->isChecked());
    CHECK(rig.list_shown() == cod);
}

TEST_CASE("the path labels are never on screen and the window cannot be resized or maximised") {
    test::MainRig rig;
    for (const char* name : {"lblCodPath", "lblUOPath", "lblCod2Path"}) {
        CAPTURE(std::string(name));
        auto* label = rig.widget<QLabel>(rig.main, name);
        REQUIRE(label);
        CHECK_FALSE(label->isVisible());
        CHECK_FALSE(label->text().isEmpty());
    }
    qt::FormWindow* w = rig.window(rig.main);
    CHECK(w->minimumSize() == w->maximumSize());
    CHECK(w->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    CHECK_FALSE(w->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    CHECK(QApplication::focusWidget() == rig.widget<QWidget>(rig.main, "List1"));
}

TEST_CASE("on a short screen F1 keeps the main window on it, the help text in view") {
    test::MainRig rig;
    qt::FormWindow* w = rig.window(rig.main);
    const QRect area = w->screen()->availableGeometry();
    MESSAGE(QGuiApplication::platformName().toStdString()
            << ": available " << area.width() << " x " << area.height() << " at scale "
            << w->devicePixelRatioF());
    // Placed as low as it fits, as a window manager may place it; under Wayland only the
    // compositor places windows, and the window stays as tall as the screen at most.
    const bool placed = !QGuiApplication::platformName().startsWith("wayland");
    auto on_screen = [&] {
        return placed ? area.contains(w->frameGeometry())
                      : w->frameGeometry().height() <= area.height();
    };
    if (placed)
        w->move(area.left(), std::max(area.top(), area.bottom() - w->frameGeometry().height()));
    QTest::keyClick(w, Qt::Key_F1);
    REQUIRE(rig.action("mnuHelpAlien")->isChecked());
    CHECK(on_screen());
    // The last help paragraph is in view, scrolled to where the window is too short for all.
    QScrollArea* view = w->client_view();
    QWidget* last = rig.widget<QWidget>(rig.main, "Label5");
    const QRect shown(last->mapTo(view->viewport(), QPoint(0, 0)), last->size());
    CHECK(view->viewport()->rect().contains(shown));
    CHECK(w->client()->height() == rig.px(9230 - 735));

    QTest::keyClick(w, Qt::Key_F1);
    CHECK(on_screen());
    CHECK(w->client()->height() == rig.px(5685 - 735));
}
