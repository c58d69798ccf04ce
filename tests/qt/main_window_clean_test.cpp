// A clean through the real main window's widgets over a temporary Wine prefix: the Clean button
// moves the listed files into the dated backup folder, the status line names it and becomes a
// link to it until the next selection.
#include <doctest/doctest.h>

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <filesystem>

#include "clean_rig.h"
#include "fake_prefix.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/wine_prefix.h"
#include "rig.h"
#include "services/shell_services.h"

using namespace pakscour;
namespace fs = std::filesystem;

TEST_CASE("Clean moves the alien files and turns the status line into a link to the backup") {
    test::FakePrefix prefix;
    const fs::path main_dir = prefix.c("CoD/Main");
    for (const std::string name : {"pak0.pk3", "mod_a.pk3", "user.pk3"})
        prefix.file("CoD/Main/" + name, "content of " + name);

    {
        posix::PosixFileSystem files{posix::WinePrefix(prefix.root())};
        test::QtRigOver<test::ProgramRig> rig{files};
        test::prepare_main_window(rig.program, "C:\\CoD", "", "");
        forms::Form& main = rig.program.context().frmMain;
        rig.forms.show(main);
        qt::FormWindow* w = rig.window(main);
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
        CHECK(rig.app.boxes.empty());
        CHECK(rig.app.busy == false);

        QTest::mouseClick(status, Qt::LeftButton, {}, test::centre(status));
        REQUIRE(rig.shell.calls.size() == 1);
        CHECK(rig.shell.calls[0].verb == std::optional<std::string>("explore"));
        CHECK(rig.shell.calls[0].file == "C:\\CoD\\Main\\061226140509");
        // Owned by the main window's real native window.
        CHECK(rig.shell.calls[0].owner != 0);
        CHECK(rig.shell.calls[0].owner == w->winId());

        QTest::mouseClick(cod, Qt::LeftButton, {}, test::box_point(cod));
        CHECK(status->text() == "There are no alien PK3 files in your CoD folder");
        CHECK(status->toolTip().isEmpty());
        rig.forms.unload(main);
    }
}
