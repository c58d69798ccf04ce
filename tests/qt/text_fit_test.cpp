// Every text whole in every window, whatever face draws the layouts' "MS Sans Serif": each
// label's, check box's and button's text measured against its box with the font its widget
// has. Run at the screen scales 1, 1.5 and 2 (QT_SCALE_FACTOR, see CMakeLists.txt).
#include <doctest/doctest.h>

#include <QAbstractButton>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QListView>
#include <QScreen>
#include <QStyle>

#include "main_rig.h"
#include "platform/qt/layout_fonts.h"

using namespace pakscour;

namespace {

// The widths of a text's lines and the height they take when wrapped to `width`, measured the
// way the widget draws them.
QSize wrapped_size(const QFontMetrics& fm, const QString& text, int width) {
    return fm
        .boundingRect(QRect(0, 0, width, 100000), Qt::TextWordWrap | Qt::TextShowMnemonic, text)
        .size();
}

// Checks one window's texts; returns how many it measured.
int check_texts(qt::FormWindow& window, const QString& face) {
    int measured = 0;
    for (QWidget* w : window.findChildren<QWidget*>()) {
        const QString name = w->objectName();
        CAPTURE(name.toStdString());
        const QFontMetrics fm = w->fontMetrics();
        if (auto* label = qobject_cast<QLabel*>(w)) {
            const QString text = label->text();
            if (text.isEmpty() || !label->pixmap().isNull()) continue;
            ++measured;
            const QRect box = label->contentsRect();
            if (label->wordWrap()) {
                CHECK(wrapped_size(fm, text, box.width()).height() <= box.height());
            } else if (!text.contains('\\')) {
                const QSize size = fm.size(Qt::TextShowMnemonic, text);
                CHECK(size.width() <= box.width());
                if (text.contains('\n')) CHECK(size.height() <= box.height());
            }
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            if (button->text().isEmpty()) continue;
            ++measured;
            // A check box's text begins after its box; a button's lies within its bevel.
            const QStyle* style = w->style();
            const int room =
                qobject_cast<QCheckBox*>(w)
                    ? w->width() - style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, w) -
                          style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, w)
                    : w->width() - 4;
            CHECK(fm.size(Qt::TextShowMnemonic, button->text()).width() <= room);
        } else {
            continue;
        }
        // The face drawn is the one tried, except for the splash's typewriter lines.
        if (w->font().styleHint() != QFont::TypeWriter)
            CHECK(QFontInfo(w->font()).family() == face);
    }
    return measured;
}

}  // namespace

TEST_CASE(
    "every text is whole in every window with Noto Sans, DejaVu Sans, Cantarell and "
    "Liberation Sans") {
    const double scale = QGuiApplication::primaryScreen()->devicePixelRatio();
    MESSAGE("screen scale " << scale);
    for (const char* family : {"Noto Sans", "DejaVu Sans", "Cantarell", "Liberation Sans"}) {
        const QString face = QString::fromLatin1(family);
        CAPTURE(face.toStdString());
        REQUIRE(QFontDatabase::hasFamily(face));
        qt::set_layout_sans_face(face);
        {
            test::MainRig rig;
            rig.main.set_height(rig.main.height() + 3545);  // the help panel
            rig.forms.show(rig.ctx.frmSplash);
            rig.main.menu("mnuHelpAbout").user_click();
            rig.main.menu("mnuDisclaimer").user_click();
            rig.box("chkCleanCod")->click();
            rig.main.menu("mnuFileRestore").user_click();
            int measured = 0;
            for (forms::Form* f : {&rig.main, &rig.ctx.frmSplash, &rig.ctx.frmAbout,
                                   &rig.ctx.frmDisclaim, &rig.ctx.frmRestore}) {
                CAPTURE(f->name());
                REQUIRE(rig.window(*f));
                measured += check_texts(*rig.window(*f), face);
            }
            CHECK(measured >= 40);
            // With Arial's metrics the layouts' sizes stay as they are.
            if (face == "Liberation Sans") {
                for (const char* name : {"Label4", "lblStatusBar", "cmdClean", "chkCleanCod"})
                    CHECK(rig.window(rig.main)->findChild<QWidget*>(name)->font().pointSizeF() ==
                          7.5);
                CHECK(rig.widget<QLabel>(rig.ctx.frmDisclaim, "lblDisclaim")->font().pointSizeF() ==
                      7.5);
            }
            rig.forms.unload(rig.ctx.frmRestore);
        }
    }
    qt::reset_layout_sans_face();
}
