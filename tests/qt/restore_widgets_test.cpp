// Restore a Backup through the real widgets, by keyboard alone: a clean (Tab to Clean, Space),
// then Alt+F, R opens the modal window owned by the main window with the newest backup
// selected, and Enter restores it: the content folder is byte for byte what it was.
#include <doctest/doctest.h>

#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <filesystem>
#include <fstream>
#include <map>

#include "main_window.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/wine_prefix.h"
#include "rig.h"

using namespace pakscour;
namespace fs = std::filesystem;

namespace {

std::map<std::string, std::string> files_of(const fs::path& folder) {
    std::map<std::string, std::string> out;
    for (const auto& e : fs::directory_iterator(folder)) {
        if (!e.is_regular_file()) continue;
        std::ifstream in(e.path(), std::ios::binary);
        out[e.path().filename()] = std::string(std::istreambuf_iterator<char>(in), {});
    }
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
    const fs::path root =
        fs::temp_directory_path() / ("pakscour-restore-" + std::to_string(::getpid()));
    fs::remove_all(root);
    const fs::path main_dir = root / "drive_c" / "CoD" / "Main";
    fs::create_directories(main_dir);
    fs::create_directories(root / "dosdevices");
    fs::create_directory_symlink("../drive_c", root / "dosdevices" / "c:");
    for (const char* name : {"pak0.pk3", "mod_a.pk3", "user.pk3", "zz.pk3"})
        std::ofstream(main_dir / name, std::ios::binary) << "content of " << name << '\0' << name;
    const auto before = files_of(main_dir);
    {
        test::QtRig rig;
        test::RecordingShell shell;
        test::FixedClock clock;
        posix::PosixFileSystem files{posix::WinePrefix(root)};
        test::EmptyRegistry registry;
        Program program{Platform{files, registry, shell, clock, rig.app, rig.forms}};
        Context& ctx = program.context();
        test::prepare_main_window(program, "C:\\CoD", "", "");
        ctx.frmMain.ctl("chkCleanCod").set_value(1);
        rig.show_active(ctx.frmMain);

        // The list has the focus; Tab reaches Clean and Space presses it.
        press(Qt::Key_Tab);
        press(Qt::Key_Space);
        REQUIRE(files_of(main_dir).size() == 1);
        fs::create_directory(main_dir / "010125000000");
        std::ofstream(main_dir / "010125000000" / "old.pk3") << "older";

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
    fs::remove_all(root);
}
