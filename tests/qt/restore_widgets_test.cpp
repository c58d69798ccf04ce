// Restore a Backup through the real widgets, by keyboard alone: a clean (Tab to Clean, Space),
// then Alt+F, R opens the modal window owned by the main window with the newest backup
// selected, and Enter restores it: the content folder is byte for byte what it was.
#include <doctest/doctest.h>

#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <filesystem>
#include <map>

#include "clean_rig.h"
#include "fake_prefix.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/wine_prefix.h"
#include "rig.h"

using namespace pakscour;
namespace fs = std::filesystem;

namespace {

std::map<std::string, std::string> files_of(const fs::path& folder) {
    std::map<std::string, std::string> out;
    for (const auto& e : fs::directory_iterator(folder))
        if (e.is_regular_file()) out[e.path().filename()] = test::read_file(e.path());
    return out;
}

void press(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
    QWidget* target = QApplication::activePopupWidget();
    if (!target) target = QApplication::focusWidget();
    REQUIRE(target != nullptr);
    QTest::keyClick(target, key, modifiers);
}

}  // namespace

TEST_CASE("a clean, then Alt+F, R and Enter, give the folder back byte for byte") {
    test::FakePrefix prefix;
    const fs::path main_dir = prefix.c("CoD/Main");
    for (const std::string name : {"pak0.pk3", "mod_a.pk3", "user.pk3", "zz.pk3"})
        prefix.file("CoD/Main/" + name, "content of " + name + '\0' + name);
    const auto before = files_of(main_dir);
    {
        posix::PosixFileSystem files{posix::WinePrefix(prefix.root())};
        test::QtRigOver<test::ProgramRig> rig{files};
        test::prepare_main_window(rig.program, "C:\\CoD", "", "");
        Context& ctx = rig.program.context();
        ctx.frmMain.ctl("chkCleanCod").set_value(1);
        rig.show_active(ctx.frmMain);

        // The list has the focus; Tab reaches Clean and Space presses it.
        press(Qt::Key_Tab);
        press(Qt::Key_Space);
        REQUIRE(files_of(main_dir).size() == 1);
        prefix.file("CoD/Main/010125000000/old.pk3", "older");

        auto open = [&] {
            press(Qt::Key_F, Qt::AltModifier);
            REQUIRE(test::wait_until([] { return QApplication::activePopupWidget() != nullptr; }));
            press(Qt::Key_R);
            REQUIRE(test::wait_until([&] { return ctx.frmRestore.loaded(); }));
            QApplication::setActiveWindow(rig.window(ctx.frmRestore));
        };
        // Enter on the focused Cancel button cancels: it is Cancel that Enter presses then.
        open();
        press(Qt::Key_Tab);
        press(Qt::Key_Tab);
        REQUIRE(QApplication::focusWidget()->objectName() == "cmdCancel");
        press(Qt::Key_Return);
        CHECK_FALSE(ctx.frmRestore.loaded());
        CHECK(fs::exists(main_dir / "061226140509"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QApplication::setActiveWindow(rig.window(ctx.frmMain));

        open();
        qt::FormWindow* w = rig.window(ctx.frmRestore);
        REQUIRE(w != nullptr);
        CHECK(w->parentWidget() == rig.window(ctx.frmMain));
        CHECK(w->windowModality() != Qt::NonModal);
        CHECK(w->windowTitle() == "Restore a Backup");
        auto* list = w->findChild<QListView*>("lstBackups");
        REQUIRE(list != nullptr);
        test::wait_until([&] { return list->model()->rowCount() == 2; });
        CHECK(list->model()->index(0, 0).data().toString() ==
              "6 Dec 2026 14:05:09  -  3 files, 82 bytes");
        CHECK(list->currentIndex().row() == 0);
        CHECK(list->selectionModel()->isRowSelected(0, QModelIndex()));
        CHECK(w->findChild<QPushButton*>("cmdRestore")->isDefault());
        REQUIRE(QApplication::focusWidget() == list);
        // Alt+B, the list label's access key, goes back to the list.
        press(Qt::Key_Tab);
        press(Qt::Key_B, Qt::AltModifier);
        REQUIRE(QApplication::focusWidget() == list);
        press(Qt::Key_Return);
        CHECK_FALSE(ctx.frmRestore.loaded());
        CHECK(files_of(main_dir) == before);
        CHECK_FALSE(fs::exists(main_dir / "061226140509"));
        CHECK(ctx.frmMain.ctl("List1").list_count() == 3);

        // A double click on an entry restores it.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QApplication::setActiveWindow(rig.window(ctx.frmMain));
        open();
        list = rig.window(ctx.frmRestore)->findChild<QListView*>("lstBackups");
        REQUIRE(test::wait_until([&] { return list->model()->rowCount() == 1; }));
        const QPoint entry = list->visualRect(list->model()->index(0, 0)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, entry);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, entry);
        CHECK_FALSE(ctx.frmRestore.loaded());
        CHECK(files_of(main_dir).count("old.pk3") == 1);
        CHECK(rig.app.boxes.empty());
        rig.forms.unload(ctx.frmMain);
    }
}
