// A clean through the real main window's widgets over a temporary Wine prefix: the Clean button
// moves the listed files into the dated backup folder, the status line names it and becomes a
// link to it until the next selection.
#include <doctest/doctest.h>

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "main_window.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/wine_prefix.h"
#include "rig.h"
#include "services/shell_services.h"

using namespace pakscour;
namespace fs = std::filesystem;

TEST_CASE("Clean moves the alien files and turns the status line into a link to the backup") {
    const fs::path root =
        fs::temp_directory_path() / ("pakscour-clean-" + std::to_string(::getpid()));
    fs::remove_all(root);
    const fs::path main_dir = root / "drive_c" / "CoD" / "Main";
    fs::create_directories(main_dir);
    fs::create_directories(root / "dosdevices");
    fs::create_directory_symlink("../drive_c", root / "dosdevices" / "c:");
    for (const char* name : {"pak0.pk3", "mod_a.pk3", "user.pk3"})
        std::ofstream(main_dir / name) << "content of " << name;

    {
        test::RecordingApp app;
        test::RecordingShell shell;
        test::FixedClock clock;
        posix::PosixFileSystem files{posix::WinePrefix(root)};
        test::EmptyRegistry registry;
        forms::Application forms;
        qt::QtRenderer renderer{forms, app};
        Program program{Platform{files, registry, shell, clock, app, forms}};
        forms::Form& main = program.context().frmMain;
        test::prepare_main_window(program, "C:\\CoD", "", "");
        forms.show(main);
        qt::FormWindow* w = renderer.window(main);
        auto* cod = w->findChild<QCheckBox*>("chkCleanCod");
        auto* clean = w->findChild<QPushButton*>("cmdClean");
        auto* status = w->findChild<QLabel*>("lblStatusBar");

        QTest::mouseClick(cod, Qt::LeftButton, {}, test::box_point(cod));
        CHECK(status->text() == "Found 2 Alien PK3 files");
        REQUIRE(clean->isEnabled());
        QTest::mouseClick(clean, Qt::LeftButton, {}, test::centre(clean));

        // The stamp is cut from the clock's "06/12/2026" and "14:05:09".
        const fs::path backup = main_dir / "061226140509";
        CHECK(status->text() == "Alien files moved to: C:\\CoD\\Main\\061226140509");
        CHECK(status->toolTip() == statusbar_tooltip);
        CHECK(fs::exists(backup / "mod_a.pk3"));
        CHECK(fs::exists(backup / "user.pk3"));
        CHECK_FALSE(fs::exists(main_dir / "mod_a.pk3"));
        CHECK(fs::exists(main_dir / "pak0.pk3"));
        CHECK_FALSE(clean->isEnabled());
        CHECK(app.boxes.empty());
        CHECK(app.busy == false);

        QTest::mouseClick(status, Qt::LeftButton, {}, test::centre(status));
        REQUIRE(shell.calls.size() == 1);
        CHECK(shell.calls[0].verb == std::optional<std::string>("explore"));
        CHECK(shell.calls[0].file == "C:\\CoD\\Main\\061226140509");
        // Owned by the main window's real native window.
        CHECK(shell.calls[0].owner != 0);
        CHECK(shell.calls[0].owner == w->winId());

        QTest::mouseClick(cod, Qt::LeftButton, {}, test::box_point(cod));
        CHECK(status->text() == "There are no alien PK3 files in your CoD folder");
        CHECK(status->toolTip().isEmpty());
        forms.unload(main);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    fs::remove_all(root);
}
