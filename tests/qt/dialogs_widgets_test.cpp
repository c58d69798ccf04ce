// The disclaimer and About windows on Qt, opened through the main window's real menu: one
// window and one copy of the text however often they are opened, Enter and Esc on About, the
// link online and offline, and the program running on while one of them is open.
#include <doctest/doctest.h>

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "dialog_keys.h"
#include "main_rig.h"
#include "ui/dialogs/frm_about.h"
#include "ui/dialogs/frm_disclaim.h"

using namespace pakscour;

namespace {

int count(const QString& text, const QString& part) {
    return static_cast<int>(text.count(part));
}

int top_level_windows_named(const char* name) {
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String(name) && w->isVisible()) ++n;
    return n;
}

}  // namespace

TEST_CASE("the disclaimer opens once with its three paragraphs, however often it is chosen") {
    test::MainRig rig;
    rig.action("mnuDisclaimer")->trigger();
    rig.action("mnuDisclaimer")->trigger();
    QCoreApplication::processEvents();
    CHECK(top_level_windows_named("frmDisclaim") == 1);
    qt::FormWindow* w = rig.window(rig.ctx.frmDisclaim);
    REQUIRE(w);
    CHECK(w->windowTitle() == "DISCLAIMER");
    CHECK(w->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    auto* text = rig.widget<QLabel>(rig.ctx.frmDisclaim, "lblDisclaim");
    const QString expected = QString::fromUtf8(frmDisclaim::paragraph_1) + "\n\n" +
                             QString::fromUtf8(frmDisclaim::paragraph_2) + "\n\n" +
                             QString::fromUtf8(frmDisclaim::paragraph_3);
    CHECK(text->text() == expected);
    CHECK(text->wordWrap());
    CHECK(QApplication::focusWidget() == rig.widget<QPushButton>(rig.ctx.frmDisclaim, "cmdAccept"));

    // Accept closes it; opened again it holds the text once, not twice.
    auto* accept = rig.widget<QPushButton>(rig.ctx.frmDisclaim, "cmdAccept");
    QTest::mouseClick(accept, Qt::LeftButton, {}, test::centre(accept));
    CHECK_FALSE(rig.ctx.frmDisclaim.loaded());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    CHECK(top_level_windows_named("frmDisclaim") == 0);
    rig.action("mnuDisclaimer")->trigger();
    text = rig.widget<QLabel>(rig.ctx.frmDisclaim, "lblDisclaim");
    CHECK(count(text->text(), QString::fromUtf8(frmDisclaim::paragraph_1)) == 1);
    CHECK(text->text() == expected);
}

TEST_CASE("About opens once, shows title, version and description, and Enter or Esc closes it") {
    for (int key : {int(Qt::Key_Return), int(Qt::Key_Escape)}) {
        CAPTURE(key);
        test::MainRig rig;
        rig.action("mnuHelpAbout")->trigger();
        rig.action("mnuHelpAbout")->trigger();
        QCoreApplication::processEvents();
        CHECK(top_level_windows_named("frmAbout") == 1);
        qt::FormWindow* w = rig.window(rig.ctx.frmAbout);
        REQUIRE(w);
        CHECK(w->windowTitle() == "About Pakscour");
        CHECK(w->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        CHECK(rig.widget<QLabel>(rig.ctx.frmAbout, "lblTitle")->text() == "Pakscour");
        CHECK(rig.widget<QLabel>(rig.ctx.frmAbout, "lblVersion")->text() == "Version 2.1");
        CHECK(rig.widget<QLabel>(rig.ctx.frmAbout, "lblDescription")->text() ==
              "Call of Duty, United Offensive & Call of Duty 2\nRestore your CoD / UO & CoD2 to "
              "its stock installation.");
        CHECK(rig.widget<QLabel>(rig.ctx.frmAbout, "picIcon")->pixmap().size() == QSize(32, 32));

        QApplication::setActiveWindow(w);
        (void)QTest::qWaitForWindowActive(w, 1000);
        QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(key));
        CHECK_FALSE(rig.ctx.frmAbout.loaded());
        CHECK(rig.window(rig.ctx.frmAbout) == nullptr);
        CHECK(rig.main.loaded());
    }
}

TEST_CASE("the About link has a tooltip and opens the address only while online") {
    struct Case {
        bool online;
        QString tooltip;
        std::size_t calls;
    };
    const Case cases[] = {{true, QString::fromUtf8(frmAbout::link_tooltip), 2}, {false, "", 0}};
    for (const Case& c : cases) {
        CAPTURE(c.online);
        test::MainRig rig;
        rig.shell.connected = c.online;
        rig.action("mnuHelpAbout")->trigger();
        auto* link = rig.widget<QLabel>(rig.ctx.frmAbout, "lblWebURL");
        REQUIRE(link);
        CHECK(link->text() == frmAbout::web_address);
        CHECK(link->font().underline());
        CHECK(link->palette().color(QPalette::WindowText) == QColor(0, 0, 255));
        CHECK(link->toolTip() == c.tooltip);
        QTest::mouseClick(link, Qt::LeftButton, {}, test::centre(link));
        QTest::mouseClick(link, Qt::LeftButton, {}, test::centre(link));
        REQUIRE(rig.shell.calls.size() == c.calls);
        for (const test::ShellCall& call : rig.shell.calls) {
            CHECK(call.file == frmAbout::web_address);
            CHECK_FALSE(call.verb.has_value());
            CHECK(call.owner == 0);
        }
        CHECK(rig.app.boxes.empty());
    }
}

TEST_CASE("with the main window closed the program runs on until the About window closes") {
    test::MainRig rig;
    rig.action("mnuHelpAbout")->trigger();
    auto* exit = rig.widget<QPushButton>(rig.main, "cmdExit");
    QTimer::singleShot(10,
                       [&] { QTest::mouseClick(exit, Qt::LeftButton, {}, test::centre(exit)); });
    QTimer watchdog;
    QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    watchdog.start(400);
    CHECK(QApplication::exec() == 99);
    CHECK_FALSE(rig.main.loaded());
    REQUIRE(rig.ctx.frmAbout.loaded());
    CHECK(rig.window(rig.ctx.frmAbout)->isVisible());

    auto* ok = rig.widget<QPushButton>(rig.ctx.frmAbout, "cmdOK");
    QTimer::singleShot(10, [&] { QTest::mouseClick(ok, Qt::LeftButton, {}, test::centre(ok)); });
    CHECK(QApplication::exec() == 0);
    CHECK_FALSE(rig.ctx.frmAbout.loaded());
}

TEST_CASE("Enter, Space and Esc press the buttons of every window as on Windows") {
    for (const test::DialogKeyCase& c : test::dialog_key_cases) {
        CAPTURE(test::describe(c));
        test::MainRig rig;
        std::vector<std::string> pressed;
        forms::Form& f = test::open_for_keys(rig.ctx, c, pressed);
        qt::FormWindow* w = rig.window(f);
        REQUIRE(w);
        QApplication::setActiveWindow(w);
        (void)QTest::qWaitForWindowActive(w, 1000);
        auto* focus = w->findChild<QWidget*>(QString::fromLatin1(c.focus));
        REQUIRE(focus);
        focus->setFocus();
        REQUIRE(QApplication::focusWidget() == focus);
        const Qt::Key key = c.key == test::DialogKey::Enter   ? Qt::Key_Return
                            : c.key == test::DialogKey::Space ? Qt::Key_Space
                                                              : Qt::Key_Escape;
        QTest::keyClick(focus, key);
        QCoreApplication::processEvents();
        CHECK(pressed ==
              (*c.pressed ? std::vector<std::string>{c.pressed} : std::vector<std::string>{}));
        rig.forms.unload(rig.ctx.frmRestore);
    }
}
