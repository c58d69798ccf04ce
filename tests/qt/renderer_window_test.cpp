// Windows rendered by Qt: outer size in twips against the client area, fixed border, title-bar
// buttons, topmost, first focus, closing through the model, unloading from a window's own
// handler, the end of the event loop and errors that escape a handler.
#include <doctest/doctest.h>

#include <QCheckBox>
#include <QLabel>
#include <QListView>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include "platform/qt/control_widgets.h"
#include "rig.h"

using namespace pakscour;
using forms::ControlKind;

namespace {

void simple_layout(forms::Form& f) {
    f.set_caption("Simple");
    f.set_client_size(4965, 1545);
    forms::Control& ok = f.add(ControlKind::CommandButton, "cmdOK", "", {3960, 1200, 900, 255});
    ok.set_caption("OK");
}

}  // namespace

TEST_CASE("the client area is the outer size in twips less the border, title bar and menu bar") {
    struct Case {
        std::string name;
        bool menu;
        bool caption;
        forms::BorderStyle border;
    };
    const Case cases[] = {
        {"titled window with a menu", true, true, forms::BorderStyle::FixedSingle},
        {"titled window", false, true, forms::BorderStyle::FixedSingle},
        {"dialog without caption", false, false, forms::BorderStyle::FixedDialog}};
    for (const Case& c : cases) {
        CAPTURE(c.name);
        test::QtRig rig;
        forms::Form form{"frmSized"};
        form.build = [&](forms::Form& f) {
            f.border = c.border;
            f.has_caption = c.caption;
            f.control_box = c.caption;
            if (c.menu) f.add_menu("mnuFile", "&File", "");
            f.set_width(6725);
            f.set_height(5685);
        };
        rig.forms.show(form);
        qt::FormWindow* w = rig.window(form);
        const forms::NonClient nc = forms::non_client(c.border, c.caption, c.menu);
        CHECK(w->client()->width() == rig.px(6725 - nc.horizontal));
        CHECK(w->client()->height() == rig.px(5685 - nc.vertical));
        if (!c.caption) {
            // A window without title bar draws its own border within the outer size.
            CHECK(w->width() == rig.px(6725));
            CHECK(w->height() == rig.px(5685));
        }
        // Fixed border: the window cannot be resized.
        CHECK(w->minimumSize() == w->maximumSize());

        const int before = w->client()->height();
        form.set_height(form.height() + 3545);
        CHECK(w->client()->height() == rig.px(5685 + 3545 - nc.vertical));
        CHECK(w->height() >= before + rig.px(3545) - 1);
        form.set_height(form.height() - 3545);
        CHECK(w->client()->height() == before);
        rig.forms.unload(form);
    }
}

TEST_CASE("title-bar buttons, caption and topmost follow the model") {
    test::QtRig rig;
    forms::Form form{"frmFlags"};
    form.build = [](forms::Form& f) {
        simple_layout(f);
        f.min_button = true;
        f.start_position = forms::StartPosition::CenterScreen;
        f.on_load = [&f] { f.set_topmost(true); };
    };
    rig.forms.show(form);
    qt::FormWindow* w = rig.window(form);
    const Qt::WindowFlags flags = w->windowFlags();
    CHECK(flags.testFlag(Qt::WindowMinimizeButtonHint));
    CHECK_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    CHECK(flags.testFlag(Qt::WindowCloseButtonHint));
    CHECK(flags.testFlag(Qt::WindowStaysOnTopHint));
    CHECK(w->windowTitle() == "Simple");
    form.set_caption("About Pakscour");
    CHECK(w->windowTitle() == "About Pakscour");
    form.set_topmost(false);
    CHECK_FALSE(w->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    CHECK(w->isVisible());
    // Centred on the screen.
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    CHECK(std::abs(w->geometry().center().x() - screen.center().x()) <= 2);
    rig.forms.unload(form);
}

TEST_CASE(
    "the first enabled control of the tab order takes the focus, then the tab order follows") {
    test::QtRig rig;
    forms::Form form{"frmFocus"};
    form.build = [](forms::Form& f) {
        f.set_client_size(6000, 3000);
        f.add(ControlKind::ListBox, "List1", "", {120, 120, 3000, 1500});
        f.add(ControlKind::CommandButton, "cmdClean", "", {3500, 120, 1200, 255})
            .set_caption("&Clean");
        f.add(ControlKind::CommandButton, "cmdExit", "", {3500, 500, 1200, 255})
            .set_caption("E&xit");
        f.add(ControlKind::CheckBox, "chkA", "", {3500, 900, 1200, 255}).set_caption("A");
        f.tab_order = {"List1", "cmdClean", "cmdExit", "chkA"};
    };
    SUBCASE("all enabled") {
        rig.show_active(form);
        CHECK(QApplication::focusWidget() == rig.widget<QListView>(form, "List1"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        CHECK(QApplication::focusWidget() == rig.widget<QPushButton>(form, "cmdClean"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        CHECK(QApplication::focusWidget() == rig.widget<QPushButton>(form, "cmdExit"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        CHECK(QApplication::focusWidget() == rig.widget<QCheckBox>(form, "chkA"));
    }
    SUBCASE("the first one disabled") {
        auto design = form.build;
        form.build = [design](forms::Form& f) {
            design(f);
            f.ctl("List1").set_enabled(false);
        };
        rig.show_active(form);
        CHECK(QApplication::focusWidget() == rig.widget<QPushButton>(form, "cmdClean"));
    }
    rig.forms.unload(form);
}

TEST_CASE("closing the window runs the unload procedure, which may refuse") {
    test::QtRig rig;
    forms::Form form{"frmClose"};
    bool refuse = true;
    int unloads = 0;
    form.build = [&](forms::Form& f) {
        simple_layout(f);
        f.on_unload = [&](bool& cancel) {
            ++unloads;
            cancel = refuse;
        };
    };
    rig.forms.show(form);
    QPointer<qt::FormWindow> w = rig.window(form);
    w->close();
    CHECK(unloads == 1);
    CHECK(form.loaded());
    CHECK(w->isVisible());
    refuse = false;
    w->close();
    CHECK(unloads == 2);
    CHECK_FALSE(form.loaded());
    CHECK_FALSE(w->isVisible());
    CHECK(rig.renderer.window(form) == nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    CHECK(w.isNull());
}

TEST_CASE("a window unloaded by its own button's handler is freed safely afterwards") {
    test::QtRig rig;
    forms::Form form{"frmSelf"};
    int after_unload = 0;
    form.build = [&](forms::Form& f) {
        simple_layout(f);
        f.ctl("cmdOK").on_click = [&] {
            rig.forms.unload(f);
            ++after_unload;
        };
    };
    rig.forms.show(form);
    QPointer<qt::FormWindow> w = rig.window(form);
    auto* ok = rig.widget<QPushButton>(form, "cmdOK");
    QTest::mouseClick(ok, Qt::LeftButton, {}, test::centre(ok));
    CHECK(after_unload == 1);
    CHECK_FALSE(form.loaded());
    CHECK_FALSE(w.isNull());
    CHECK_FALSE(w->attached());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    CHECK(w.isNull());

    // Loaded again: a fresh window with the design state.
    rig.forms.show(form);
    CHECK(rig.window(form) != nullptr);
    CHECK(rig.window(form) != w.data());
    CHECK(rig.forms.native_handle(form) != 0);
    rig.forms.unload(form);
    CHECK(rig.forms.native_handle(form) == 0);
}

TEST_CASE("the event loop ends after the last window has gone, unless another was loaded") {
    struct Case {
        std::string name;
        bool show_next;
        int exit_code;
    };
    // 99 is the watchdog's code: the loop kept running.
    const Case cases[] = {{"last window unloaded", false, 0},
                          {"a window unloads itself and shows the next", true, 99}};
    for (const Case& c : cases) {
        CAPTURE(c.name);
        test::QtRig rig;
        forms::Form first{"frmFirst"};
        forms::Form next{"frmNext"};
        first.build = [](forms::Form& f) { simple_layout(f); };
        next.build = [](forms::Form& f) { simple_layout(f); };
        rig.forms.show(first);
        QTimer::singleShot(10, [&] {
            rig.forms.unload(first);
            if (c.show_next) rig.forms.show(next);
        });
        QTimer watchdog;
        watchdog.setSingleShot(true);
        QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(99); });
        watchdog.start(500);
        CHECK(QApplication::exec() == c.exit_code);
        CHECK(next.loaded() == c.show_next);
        if (c.show_next) {
            CHECK(rig.window(next)->isVisible());
            rig.forms.unload(next);
            // Unloading the last one now ends the loop.
            QTimer guard;
            QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(99); });
            guard.start(500);
            CHECK(QApplication::exec() == 0);
        }
    }
}

namespace {

// Records the report of an escaped error and unwinds to the test instead of ending.
struct EndedHere {};
class ReportingApp : public test::RecordingApp {
  public:
    [[noreturn]] void end_program(int exit_code) override {
        code = exit_code;
        throw EndedHere{};
    }
    int code = -1;
};

}  // namespace

TEST_CASE("an error escaping a handler is reported with its number and ends the program") {
    ReportingApp app;
    forms::Application forms;
    qt::QtRenderer renderer{forms, app};
    forms::Form form{"frmThrows"};
    form.build = [](forms::Form& f) {
        f.set_client_size(3000, 1000);
        f.add(ControlKind::Label, "lblStatusBar", "", {120, 120, 2000, 255}).on_click = [] {
            raise_error(err::path_not_found);
        };
    };
    forms.show(form);
    auto* label = renderer.window(form)->findChild<qt::ClickLabel*>("lblStatusBar");
    REQUIRE(label);
    // The label's own click path, called directly so the unwinding stays out of Qt.
    CHECK_THROWS_AS(label->on_click(), EndedHere);
    REQUIRE(app.boxes.size() == 1);
    CHECK(app.boxes[0].text == "Run-time error '76':\r\n\r\nPath not found");
    CHECK(app.boxes[0].title == "pakscour");
    CHECK(app.code == 1);
    forms.unload(form);
}
