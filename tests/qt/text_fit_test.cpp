// Every text whole in every window, whatever face draws the layouts' "MS Sans Serif": each
// label's, check box's and button's text measured against its box with the font its widget
// has. Run at the screen scales 1, 1.5 and 2 (QT_SCALE_FACTOR, see CMakeLists.txt).
#include <doctest/doctest.h>

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QImage>
#include <QLabel>
#include <QListView>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <cmath>

#include "main_rig.h"
#include "platform/qt/layout_fonts.h"

using namespace pakscour;

namespace {

// Checks one window's texts; returns how many it measured.
int check_texts(qt::FormWindow& window, const QString& face) {
    int measured = 0;
    for (QWidget* w : window.findChildren<QWidget*>()) {
        CAPTURE(w->objectName().toStdString());
        const QFontMetrics fm = w->fontMetrics();
        if (auto* label = qobject_cast<QLabel*>(w)) {
            const QString text = label->text();
            if (text.isEmpty() || !label->pixmap().isNull()) continue;
            ++measured;
            const QRect box = label->contentsRect();
            const int flags = Qt::TextWordWrap | Qt::TextShowMnemonic;
            if (label->wordWrap()) {
                CHECK(fm.boundingRect(box, flags, text).height() <= box.height());
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

// The selected row of a list that has the focus, drawn: true when the ink of its text (lighter
// than the selection) lies clear of the row's focus frame, its first and last pixel rows.
bool row_text_clear_of_frame(QListView& view, int row) {
    QWidget* window = view.window();
    const QImage image = window->grab().toImage();
    const double dpr = image.devicePixelRatio();
    const QRect r = view.visualRect(view.model()->index(row, 0))
                        .translated(view.viewport()->mapTo(window, QPoint(0, 0)));
    // The device pixel rows wholly within the frame's logical rows, the first and the last.
    auto on_frame = [&](int y) {
        for (int line : {r.top(), r.bottom()})
            if (y >= std::ceil(line * dpr) && y < std::floor((line + 1) * dpr)) return true;
        return false;
    };
    const int background =
        image.pixelColor(int((r.right() - 2) * dpr), int(r.center().y() * dpr)).lightness();
    int inside = 0;
    int framed = 0;
    for (int y = int(r.top() * dpr); y < int((r.bottom() + 1) * dpr); ++y)
        for (int x = int((r.left() + 2) * dpr); x < int((r.right() - 2) * dpr); ++x)
            if (image.pixelColor(x, y).lightness() > background + 25)
                ++(on_frame(y) ? framed : inside);
    return inside > 0 && framed == 0;
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
            // A selected name's underscores are not lost in the focus frame of its row.
            forms::Control& list = rig.main.ctl("List1");
            list.add_item("zzz_svr_adminmod_v3");
            list.set_list_index(list.list_count() - 1);
            auto* view = rig.widget<QListView>(rig.main, "List1");
            QApplication::setActiveWindow(rig.window(rig.main));
            view->setFocus();
            rig.window(rig.main)->client_view()->ensureWidgetVisible(view);
            CHECK(row_text_clear_of_frame(*view, list.list_count() - 1));
            // With Arial's metrics the layouts' sizes stay as they are.
            for (const char* name : {"Label4", "lblStatusBar", "cmdClean", "chkCleanCod"})
                if (face == "Liberation Sans")
                    CHECK(rig.widget<QWidget>(rig.main, name)->font().pointSizeF() == 7.5);
            rig.forms.unload(rig.ctx.frmRestore);
        }
    }
    qt::reset_layout_sans_face();
}

TEST_CASE("the fonts in ../share/fonts beside the program are loaded at start, .ttf files only") {
    QDir fonts(QCoreApplication::applicationDirPath() + "/../share/fonts");
    REQUIRE(fonts.mkpath("."));
    const QString source = "/usr/share/fonts/truetype/liberation2/LiberationSans-Bold.ttf";
    REQUIRE(QFile::copy(source, fonts.filePath("LiberationSans-Bold.ttf")));
    REQUIRE(QFile::copy(source, fonts.filePath("LiberationSans-Bold.ttf.txt")));
    CHECK(qt::load_program_fonts() == 1);
    CHECK(QFontDatabase::applicationFontFamilies(0).contains("Liberation Sans"));
    fonts.removeRecursively();
}
