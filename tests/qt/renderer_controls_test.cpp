// Controls rendered as real widgets: check boxes whose state only the model changes, labels,
// buttons with Enter and Esc, group boxes, pictures, lines, list boxes and timers.
#include <doctest/doctest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QTest>

#include "platform/qt/control_widgets.h"
#include "platform/qt/pictures.h"
#include "rig.h"

using namespace pakscour;
using forms::ControlKind;

namespace {

// Two check boxes in a group box; `a_rule` is what A's Click does after counting.
struct BoxesWindow {
    forms::Form form{"frmBoxes"};
    int a_clicks = 0;
    int b_clicks = 0;
    std::function<void(forms::Form&)> a_rule;

    BoxesWindow() {
        form.build = [this](forms::Form& f) {
            f.set_client_size(4000, 2000);
            f.add(ControlKind::Frame, "fraBoxes", "", {120, 120, 3000, 1500}).set_caption("Boxes");
            forms::Control& a =
                f.add(ControlKind::CheckBox, "chkA", "fraBoxes", {120, 300, 1500, 255});
            a.set_caption("&Alpha");
            a.on_click = [this, &f] {
                ++a_clicks;
                if (a_rule) a_rule(f);
            };
            forms::Control& b =
                f.add(ControlKind::CheckBox, "chkB", "fraBoxes", {120, 700, 1500, 255});
            b.set_caption("&Beta");
            b.on_click = [this] { ++b_clicks; };
        };
    }
};

}  // namespace

TEST_CASE("a user click on a check box goes through the model, which decides what is shown") {
    struct Case {
        std::string name;
        std::function<void(forms::Form&)> rule;
        int model_value;
        int b_value;
        int b_clicks;
    };
    const Case cases[] = {
        {"no rule: the click ticks the box", nullptr, 1, 0, 0},
        {"the handler unticks it again", [](forms::Form& f) { f.ctl("chkA").set_value(0); }, 0, 0,
         0},
        {"the handler ticks the other box", [](forms::Form& f) { f.ctl("chkB").set_value(1); }, 1,
         1, 1},
    };
    for (const Case& c : cases) {
        CAPTURE(c.name);
        test::QtRig rig;
        BoxesWindow w;
        w.a_rule = c.rule;
        rig.forms.show(w.form);
        auto* a = rig.widget<QCheckBox>(w.form, "chkA");
        auto* b = rig.widget<QCheckBox>(w.form, "chkB");
        REQUIRE(a);
        REQUIRE(b);
        QTest::mouseClick(a, Qt::LeftButton, {}, test::box_point(a));
        CHECK(w.a_clicks >= 1);
        CHECK(w.form.ctl("chkA").value() == c.model_value);
        CHECK(a->isChecked() == (c.model_value == 1));
        CHECK(w.form.ctl("chkB").value() == c.b_value);
        CHECK(b->isChecked() == (c.b_value == 1));
        CHECK(w.b_clicks == c.b_clicks);
        rig.forms.unload(w.form);
    }
}

TEST_CASE("the program setting a check box is shown and raises Click exactly once") {
    test::QtRig rig;
    BoxesWindow w;
    rig.forms.show(w.form);
    auto* b = rig.widget<QCheckBox>(w.form, "chkB");
    w.form.ctl("chkB").set_value(1);
    CHECK(b->isChecked());
    CHECK(w.b_clicks == 1);
    w.form.ctl("chkB").set_value(1);
    CHECK(w.b_clicks == 1);
    w.form.ctl("chkB").set_value(0);
    CHECK_FALSE(b->isChecked());
    CHECK(w.b_clicks == 2);
    rig.forms.unload(w.form);
}

TEST_CASE(
    "Space and the mnemonic toggle a check box through the model; a disabled box ignores clicks") {
    test::QtRig rig;
    BoxesWindow w;
    rig.show_active(w.form);
    auto* a = rig.widget<QCheckBox>(w.form, "chkA");
    a->setFocus();
    QTest::keyClick(a, Qt::Key_Space);
    CHECK(w.form.ctl("chkA").value() == 1);
    CHECK(w.a_clicks == 1);
    QTest::keyClick(rig.window(w.form), Qt::Key_B, Qt::AltModifier);
    // A mnemonic presses the box the way a click animates it, a moment later.
    CHECK(test::wait_until([&] { return w.b_clicks > 0; }, 1000));
    CHECK(w.form.ctl("chkB").value() == 1);
    CHECK(w.b_clicks == 1);

    w.form.ctl("chkA").set_enabled(false);
    CHECK_FALSE(a->isEnabled());
    QTest::mouseClick(a, Qt::LeftButton, {}, test::box_point(a));
    CHECK(w.form.ctl("chkA").value() == 1);
    CHECK(w.a_clicks == 1);
    rig.forms.unload(w.form);
}

TEST_CASE("controls in a group box are its children, placed in twips from its corner") {
    test::QtRig rig;
    BoxesWindow w;
    rig.forms.show(w.form);
    auto* frame = rig.widget<QGroupBox>(w.form, "fraBoxes");
    auto* a = rig.widget<QCheckBox>(w.form, "chkA");
    REQUIRE(frame);
    CHECK(frame->title() == "Boxes");
    CHECK(a->parentWidget() == frame);
    CHECK(frame->geometry() ==
          QRect(rig.px(120), rig.px(120), rig.px(3120) - rig.px(120), rig.px(1620) - rig.px(120)));
    CHECK(a->geometry().topLeft() == QPoint(rig.px(120), rig.px(300)));
    CHECK(a->text() == "&Alpha");
    w.form.ctl("chkA").set_rect({240, 600, 1500, 255});
    CHECK(a->geometry().topLeft() == QPoint(rig.px(240), rig.px(600)));
    rig.forms.unload(w.form);
}

TEST_CASE("twips convert to pixels edge by edge at the logical DPI") {
    struct Case {
        int twips;
        double dpi;
        int px;
    };
    const Case cases[] = {{0, 96, 0}, {15, 96, 1},      {1440, 96, 96}, {3545, 96, 236}, {7, 96, 0},
                          {8, 96, 1}, {1440, 120, 120}, {255, 144, 26}, {-120, 96, -8}};
    for (const Case& c : cases) {
        CAPTURE(c.twips);
        CAPTURE(c.dpi);
        CHECK(qt::twips_to_px(c.twips, c.dpi) == c.px);
    }
    // Adjacent rectangles keep their shared edge: 1 to 8 and 8 to 15 twips at 96 DPI.
    const qt::PixelRect left = qt::twips_to_px(forms::Rect{0, 0, 8, 8}, 96);
    const qt::PixelRect right = qt::twips_to_px(forms::Rect{8, 0, 7, 8}, 96);
    CHECK(left.x + left.width == right.x);
}

TEST_CASE("labels show their caption, font, colour, alignment, wrapping and tooltip") {
    test::QtRig rig;
    forms::Form form{"frmLabels"};
    int status_clicks = 0;
    form.build = [&](forms::Form& f) {
        f.set_client_size(6000, 3000);
        forms::Control& plain = f.add(ControlKind::Label, "lblPlain", "", {120, 120, 3000, 600});
        plain.set_caption(
            "Call of Duty, United Offensive & Call of Duty 2\r\nsecond\rthird\nfourth");
        forms::Control& wrap = f.add(ControlKind::Label, "lblWrap", "", {120, 800, 3000, 600});
        wrap.word_wrap = true;
        wrap.alignment = forms::Alignment::Center;
        wrap.set_caption("wrapped text");
        wrap.set_font({"Courier New", 20.25, true, false});
        wrap.set_fore_color({255, 0, 0});
        forms::Control& link = f.add(ControlKind::Label, "lblLink", 0, "", {120, 1500, 3000, 255});
        link.set_caption("www.example.test");
        link.set_font({"MS Sans Serif", 8.25, false, true});
        link.on_click = [&] { ++status_clicks; };
        f.add(ControlKind::Label, "lblHidden", "", {12720, 480, 1095, 255}).set_visible(false);
    };
    rig.forms.show(form);
    auto* plain = rig.widget<QLabel>(form, "lblPlain");
    auto* wrap = rig.widget<QLabel>(form, "lblWrap");
    auto* link = rig.widget<QLabel>(form, "lblLink(0)");
    auto* hidden = rig.widget<QLabel>(form, "lblHidden");
    REQUIRE(plain);
    REQUIRE(wrap);
    REQUIRE(link);
    REQUIRE(hidden);

    CHECK(plain->text() ==
          "Call of Duty, United Offensive & Call of Duty 2\nsecond\nthird\nfourth");
    CHECK(plain->textFormat() == Qt::PlainText);
    CHECK_FALSE(plain->wordWrap());
    CHECK(plain->alignment() == (Qt::AlignLeft | Qt::AlignTop));
    CHECK(wrap->wordWrap());
    CHECK(wrap->alignment() == (Qt::AlignHCenter | Qt::AlignTop));
    CHECK(wrap->font().bold());
    CHECK(wrap->font().pointSizeF() == doctest::Approx(20.25));
    CHECK(wrap->palette().color(QPalette::WindowText) == QColor(255, 0, 0));
    CHECK(link->font().underline());
    CHECK_FALSE(link->font().bold());
    CHECK_FALSE(hidden->isVisible());
    CHECK(plain->isVisible());

    CHECK(link->toolTip().isEmpty());
    form.ctl("lblLink", 0).set_tooltip("Click here");
    CHECK(link->toolTip() == "Click here");
    form.ctl("lblLink", 0).set_tooltip("");
    CHECK(link->toolTip().isEmpty());

    QTest::mouseClick(link, Qt::LeftButton, {}, test::centre(link));
    CHECK(status_clicks == 1);
    form.ctl("lblPlain").set_caption("new");
    CHECK(plain->text() == "new");
    rig.forms.unload(form);
}

TEST_CASE("default and cancel buttons answer Enter and Esc; other buttons do not") {
    struct Case {
        bool is_default;
        bool is_cancel;
        int key;
        int clicks;
    };
    const Case cases[] = {{true, true, Qt::Key_Return, 1},  {true, true, Qt::Key_Escape, 1},
                          {true, false, Qt::Key_Enter, 1},  {true, false, Qt::Key_Escape, 0},
                          {false, true, Qt::Key_Escape, 1}, {false, false, Qt::Key_Return, 0},
                          {false, false, Qt::Key_Escape, 0}};
    for (const Case& c : cases) {
        CAPTURE(c.is_default);
        CAPTURE(c.is_cancel);
        CAPTURE(c.key);
        test::QtRig rig;
        forms::Form form{"frmButtons"};
        int clicks = 0;
        form.build = [&](forms::Form& f) {
            f.set_client_size(3000, 1000);
            forms::Control& ok =
                f.add(ControlKind::CommandButton, "cmdOK", "", {120, 120, 900, 255});
            ok.set_caption("OK");
            ok.is_default = c.is_default;
            ok.is_cancel = c.is_cancel;
            ok.on_click = [&] { ++clicks; };
            f.add(ControlKind::CheckBox, "chkOther", "", {120, 500, 900, 255}).set_caption("x");
            f.tab_order = {"chkOther", "cmdOK"};
        };
        rig.show_active(form);
        QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(c.key));
        CHECK(clicks == c.clicks);
        auto* ok = rig.widget<QPushButton>(form, "cmdOK");
        QTest::mouseClick(ok, Qt::LeftButton, {}, test::centre(ok));
        CHECK(clicks == c.clicks + 1);
        rig.forms.unload(form);
    }
}

TEST_CASE("a list box shows its entries in the order added, also ten thousand at once") {
    test::QtRig rig;
    forms::Form form{"frmList"};
    form.build = [](forms::Form& f) {
        f.set_client_size(5000, 3000);
        forms::Control& list = f.add(ControlKind::ListBox, "List1", "", {120, 120, 4000, 2000});
        list.add_item("design entry");
    };
    rig.forms.show(form);
    auto* view = rig.widget<QListView>(form, "List1");
    REQUIRE(view);
    CHECK(view->model()->rowCount() == 1);
    CHECK(view->selectionMode() == QAbstractItemView::SingleSelection);

    forms::Control& list = form.ctl("List1");
    QElapsedTimer clock;
    clock.start();
    list.clear_list();
    for (int i = 0; i < 10000; ++i) list.add_item("mod_" + std::to_string(10000 - i) + ".pk3");
    QCoreApplication::processEvents();
    const qint64 ms = clock.elapsed();
    MESSAGE("10000 entries added and shown in ", ms, " ms");
    REQUIRE(view->model()->rowCount() == 10000);
    CHECK(view->model()->index(0, 0).data().toString() == "mod_10000.pk3");
    CHECK(view->model()->index(9999, 0).data().toString() == "mod_1.pk3");
    CHECK(ms < 2000);

    // A clear between additions drops what was pending as well.
    list.add_item("dropped.pk3");
    list.clear_list();
    list.add_item("kept.pk3");
    QCoreApplication::processEvents();
    REQUIRE(view->model()->rowCount() == 1);
    CHECK(view->model()->index(0, 0).data().toString() == "kept.pk3");
    rig.forms.unload(form);
}

TEST_CASE("pictures come from the program's resources; lines are drawn from their end points") {
    test::QtRig rig;
    forms::Form form{"frmPictures"};
    form.build = [](forms::Form& f) {
        f.set_client_size(5000, 3000);
        f.add(ControlKind::PictureBox, "picIcon", "", {120, 120, 540, 540}).picture = "icon";
        f.add(ControlKind::PictureBox, "Picture3", "", {720, 120, 1770, 2280}).picture = "splash";
        f.add(ControlKind::PictureBox, "picNone", "", {2600, 120, 540, 540}).picture = "missing";
        f.add(ControlKind::Line, "Line1", 1, "", {120, 2520, 4800, 2520})
            .set_fore_color({128, 128, 128});
        forms::Control& white = f.add(ControlKind::Line, "Line1", 0, "", {120, 2520, 4800, 2520});
        white.set_fore_color({255, 255, 255});
        white.line_width = 2;
    };
    rig.forms.show(form);
    auto* icon = rig.widget<QLabel>(form, "picIcon");
    auto* splash = rig.widget<QLabel>(form, "Picture3");
    auto* none = rig.widget<QLabel>(form, "picNone");
    CHECK(icon->pixmap().size() == QSize(32, 32));
    CHECK(splash->pixmap().size() == QSize(114, 149));
    CHECK(none->pixmap().isNull());

    auto* grey = rig.widget<qt::LineWidget>(form, "Line1(1)");
    auto* white = rig.widget<qt::LineWidget>(form, "Line1(0)");
    REQUIRE(grey);
    REQUIRE(white);
    CHECK(grey->geometry() == QRect(rig.px(120), rig.px(2520), rig.px(4800) - rig.px(120) + 1, 1));
    CHECK(white->geometry().height() == 2);
    CHECK(grey->color() == QColor(128, 128, 128));
    // The thin grey line lies over the wide white one: an etched separator.
    const QImage image = rig.window(form)->client()->grab().toImage();
    const int x = rig.px(2000);
    CHECK(image.pixelColor(x, rig.px(2520)) == QColor(128, 128, 128));
    CHECK(image.pixelColor(x, rig.px(2520) + 1) == QColor(255, 255, 255));
    rig.forms.unload(form);
}

TEST_CASE("a timer fires through the event loop while enabled, and stops when disabled") {
    test::QtRig rig;
    forms::Form form{"frmTimer"};
    int fired = 0;
    form.build = [&](forms::Form& f) {
        f.set_client_size(2000, 1000);
        forms::Control& t = f.add(ControlKind::Timer, "tmrOnce", "", {});
        t.on_timer = [&] {
            ++fired;
            f.ctl("tmrOnce").set_timer_enabled(false);
        };
        f.on_load = [&f] {
            f.ctl("tmrOnce").set_interval(30);
            f.ctl("tmrOnce").set_timer_enabled(true);
        };
    };
    rig.forms.show(form);
    CHECK(fired == 0);
    CHECK(test::wait_until([&] { return fired > 0; }));
    QTest::qWait(150);
    CHECK(fired == 1);
    // Enabled again but with no interval: still nothing.
    form.ctl("tmrOnce").set_interval(0);
    form.ctl("tmrOnce").set_timer_enabled(true);
    QTest::qWait(100);
    CHECK(fired == 1);
    rig.forms.unload(form);
}

TEST_CASE("the icon picture at 32 logical pixels is the drawing made for the screen's density") {
    for (const qreal ratio : {1.0, 1.25, 1.5, 2.0}) {
        CAPTURE(ratio);
        const QPixmap picture = qt::load_picture("icon", ratio);
        const int px = qRound(32 * ratio);
        REQUIRE(picture.size() == QSize(px, px));
        CHECK(picture.deviceIndependentSize() == QSizeF(32, 32));
        // The stored rendering of that size, not a smaller one enlarged.
        const QImage stored(QStringLiteral(":/pakscour/icon/%1.png").arg(px));
        REQUIRE_FALSE(stored.isNull());
        CHECK(picture.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied) ==
              stored.convertToFormat(QImage::Format_ARGB32_Premultiplied));
    }
}

TEST_CASE("the window icon is the program's icon at every size from 16 to 256 px") {
    test::QtRig rig;
    forms::Form form{"frmIcon"};
    form.build = [](forms::Form& f) {
        f.set_client_size(2000, 1000);
        f.icon = "icon";
    };
    rig.forms.show(form);
    const QIcon icon = rig.window(form)->windowIcon();
    REQUIRE_FALSE(icon.isNull());
    for (int size : {16, 20, 22, 24, 32, 40, 48, 64, 128, 256}) {
        CAPTURE(size);
        CHECK(icon.availableSizes().contains(QSize(size, size)));
    }
    rig.forms.unload(form);
}
