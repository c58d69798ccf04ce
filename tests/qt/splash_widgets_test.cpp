// The real splash window on Qt: what it shows, its hand-over to the main window after its
// timer, and the end of the program when it is closed before that.
#include <doctest/doctest.h>

#include <QLabel>
#include <QTest>

#include "main_rig.h"

using namespace pakscour;

namespace {

// The real program, with the main window's load step left out so that no registry is needed.
struct SplashRig {
    test::RecordingApp app;
    test::RecordingShell shell;
    test::FixedClock clock;
    test::ListingFileSystem fs;
    test::EmptyRegistry registry;
    forms::Application forms;
    qt::QtRenderer renderer{forms, app};
    Program program{Platform{fs, registry, shell, clock, app, forms}};
    Context& ctx = program.context();

    SplashRig() {
        auto design = ctx.frmMain.build;
        ctx.frmMain.build = [design](forms::Form& f) {
            design(f);
            f.on_load = nullptr;
        };
    }
    ~SplashRig() {
        for (forms::Form* f : {&ctx.frmSplash, &ctx.frmMain}) forms.unload(*f);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

}  // namespace

TEST_CASE("the splash shows title, version and picture, then hands over to the main window") {
    SplashRig rig;
    rig.program.start();
    qt::FormWindow* splash = rig.renderer.window(rig.ctx.frmSplash);
    REQUIRE(splash);
    CHECK(splash->isVisible());
    CHECK(splash->windowFlags().testFlag(Qt::FramelessWindowHint));
    CHECK(splash->findChild<QLabel*>("lblName(0)")->text() == "Pakscour v2.1");
    CHECK(splash->findChild<QLabel*>("lblName(2)")->palette().color(QPalette::WindowText) ==
          QColor(255, 0, 0));
    CHECK(splash->findChild<QLabel*>("Picture3")->pixmap().size() == QSize(114, 149));
    CHECK_FALSE(rig.ctx.frmMain.loaded());

    // The loop runs on through the hand-over; the watchdog ends it.
    QTimer watchdog;
    QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    watchdog.start(3000);
    CHECK(QApplication::exec() == 99);
    CHECK_FALSE(rig.ctx.frmSplash.loaded());
    CHECK(rig.renderer.window(rig.ctx.frmSplash) == nullptr);
    REQUIRE(rig.ctx.frmMain.loaded());
    CHECK(rig.renderer.window(rig.ctx.frmMain)->isVisible());
}

TEST_CASE("closing the splash before its timer ends the program without a main window") {
    SplashRig rig;
    rig.program.start();
    qt::FormWindow* splash = rig.renderer.window(rig.ctx.frmSplash);
    QTimer::singleShot(50, [splash] { splash->close(); });
    QTimer watchdog;
    QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    watchdog.start(3000);
    CHECK(QApplication::exec() == 0);
    CHECK_FALSE(rig.ctx.frmSplash.loaded());
    // Its timer died with it: the main window never comes.
    QTest::qWait(2300);
    CHECK_FALSE(rig.ctx.frmMain.loaded());
}
