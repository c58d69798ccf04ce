#include <doctest/doctest.h>

#include <string>

#include "rig.h"
#include "ui/main/frm_main_events.h"

using namespace pakscour;
using pakscour::test::Rig;

namespace {

void three_games(Rig& rig) {
    test::prepare_main_window(rig.program, "C:\\CoD", "C:\\CoD", "D:\\CoD2\\");
    rig.fs.listings["C:\\CoD\\Main\\*.pk3"] = {"a.pk3", "b.pk3", "pak0.pk3", "c.pk3"};
    rig.fs.listings["C:\\CoD\\uo\\*.pk3"] = {"pakuo00.pk3", "uomappack1.pk3", "x.pk3"};
    rig.fs.listings["D:\\CoD2\\main\\*.iwd"] = {"iw_00.iwd"};
}

}  // namespace

TEST_CASE("the design state of the main window") {
    Rig rig;
    test::prepare_main_window(rig.program, "", "", "");
    forms::Form& f = rig.main;
    CHECK(f.ctl("frmAlien").rect().width == 6375);
    CHECK(f.ctl("frmAlien").rect().height == 2895);
    CHECK(f.ctl("lblStatusBar").rect().top == 4680);
    CHECK(f.ctl("Frame2").rect().top == 5040);
    CHECK(f.ctl("List1").container() == "frmAlien");
    CHECK(f.ctl("Label2", 1).caption() == "Call of Duty United Offensive : ");
    CHECK(f.ctl("Label2", 8).caption() == "Version : ");
    CHECK_FALSE(f.has("Label2", 3));
    for (int i = 0; i < 3; ++i) {
        CHECK(f.ctl("lblInstalled", i).caption() == "Not Installed");
        CHECK(f.ctl("lblVer", i).caption() == "N/A");
        CHECK(f.ctl("lblVer", i).font().bold);
        // The game and version captions end in two straight columns.
        CHECK(f.ctl("Label2", i).rect().left + f.ctl("Label2", i).rect().width == 2415);
        CHECK(f.ctl("Label2", i + 6).rect().left + f.ctl("Label2", i + 6).rect().width == 5295);
    }
    for (const char* path : {"lblCodPath", "lblUOPath", "lblCod2Path"}) {
        CHECK_FALSE(f.ctl(path).visible());
        CHECK(f.ctl(path).rect().left == 12720);
    }
    for (const char* box : {"chkCleanCod", "chkCleanUo", "chkCleanCod2"}) {
        CHECK(f.ctl(box).value() == 0);
    }
    CHECK(f.ctl("chkCleanCod2").caption() == "Co&D2");
    CHECK(f.menu("mnuOptionsUOMapPack").checked());
    CHECK_FALSE(f.menu("mnuOptionsUOMapPack").enabled());
    CHECK(f.menu("mnuOptionsUOMapPack").parent() == "mnuOptionsUo");
    CHECK(f.menu("mnuHelpAlien").shortcut == "F1");
    CHECK(f.menu("mnuHelpSpacer1").separator());
    CHECK(f.tab_order.front() == "List1");
    CHECK(f.ctl("List1").list_count() == 0);
    CHECK(f.ctl("lblStatusBar").caption().empty());
}

TEST_CASE("ticking a game unticks the others, scans once and reports") {
    Rig rig;
    three_games(rig);
    rig.ctl("chkCleanCod").set_value(1);
    CHECK(rig.ticked() == 1);
    CHECK(rig.ctl("lblStatusBar").caption() == "Found 3 Alien PK3 files");

    rig.fs.patterns.clear();
    rig.ctl("chkCleanUo").user_click();
    CHECK(rig.ticked() == 1);
    CHECK(rig.ctl("chkCleanUo").value() == 1);
    CHECK(rig.ctl("lblStatusBar").caption() == "Found 1 Alien PK3 files");
    CHECK(rig.ctx.state.last_checked_game == "UO");
    // The map-pack probe, then one scan.
    CHECK(rig.fs.patterns ==
          std::vector<std::string>{"C:\\CoD\\uo\\uomappack*.pk3", "C:\\CoD\\uo\\*.pk3"});

    rig.ctl("chkCleanCod2").user_click();
    CHECK(rig.ticked() == 1);
    CHECK(rig.ctl("lblStatusBar").caption() == "There are no alien IWD files in your Main folder");
}

TEST_CASE("nothing-found messages of each game") {
    Rig rig;
    test::prepare_main_window(rig.program, "C:\\CoD", "C:\\CoD", "D:\\CoD2\\");
    rig.ctl("chkCleanCod").user_click();
    CHECK(rig.ctl("lblStatusBar").caption() == "There are no alien PK3 files in your CoD folder");
    rig.ctl("chkCleanUo").user_click();
    CHECK(rig.ctl("lblStatusBar").caption() == "There are no alien PK3 files in your UO folder");
}

TEST_CASE("clicking the ticked box leaves it ticked and shows a fresh scan") {
    Rig rig;
    three_games(rig);
    rig.ctl("chkCleanCod").set_value(1);
    rig.fs.listings["C:\\CoD\\Main\\*.pk3"] = {"a.pk3"};
    rig.fs.patterns.clear();
    rig.ctl("chkCleanCod").user_click();
    CHECK(rig.ctl("chkCleanCod").value() == 1);
    CHECK(rig.ticked() == 1);
    CHECK(rig.ctl("lblStatusBar").caption() == "Found 1 Alien PK3 files");
    // The nested re-tick scans, and so does the outer run.
    CHECK(rig.fs.patterns.size() == 2);
}

TEST_CASE("a direct call while the own box is unticked changes nothing but the link") {
    Rig rig;
    three_games(rig);
    rig.ctl("chkCleanCod").set_value(1);
    rig.ctx.state.backup_made = true;
    rig.ctl("lblStatusBar").set_tooltip("tip");
    rig.fs.patterns.clear();
    frmMain::chkCleanCod2_Click(rig.ctx);
    CHECK_FALSE(rig.ctx.state.backup_made);
    CHECK(rig.ctl("lblStatusBar").tooltip().empty());
    CHECK(rig.ctl("chkCleanCod2").value() == 0);
    CHECK(rig.ctl("chkCleanCod").value() == 1);
    CHECK(rig.fs.patterns.empty());
    CHECK(rig.ctl("lblStatusBar").caption() == "Found 3 Alien PK3 files");
}

TEST_CASE("the status line opens the backup folder only while a backup exists") {
    Rig rig;
    three_games(rig);
    rig.ctl("chkCleanCod").set_value(1);
    rig.ctl("lblStatusBar").user_click();
    CHECK(rig.shell.calls.empty());

    rig.ctx.state.backup_made = true;
    rig.ctx.state.backup_path = "C:\\CoD\\Main\\061226140509";
    rig.ctl("lblStatusBar").user_click();
    REQUIRE(rig.shell.calls.size() == 1);
    const test::ShellCall& call = rig.shell.calls[0];
    CHECK(call.verb == std::optional<std::string>("explore"));
    CHECK(call.file == "C:\\CoD\\Main\\061226140509");
    CHECK(call.show_command == 1);
    CHECK(call.parameters == std::optional<std::string>(""));

    // Any selection, even of the ticked box, ends the link.
    rig.ctl("chkCleanCod").user_click();
    rig.ctl("lblStatusBar").user_click();
    CHECK(rig.shell.calls.size() == 1);
}

TEST_CASE("F1 twice returns the window to exactly its height") {
    Rig rig;
    three_games(rig);
    forms::MenuItem& help = rig.main.menu("mnuHelpAlien");
    const int before = rig.main.height();
    help.user_click();
    CHECK(help.checked());
    CHECK(rig.main.height() == before + 3545);
    help.user_click();
    CHECK_FALSE(help.checked());
    CHECK(rig.main.height() == before);
}

TEST_CASE("the map-pack option rebuilds the United Offensive list at once") {
    Rig rig;
    three_games(rig);
    forms::MenuItem& option = rig.main.menu("mnuOptionsUOMapPack");
    rig.ctl("chkCleanUo").set_value(1);
    REQUIRE(option.enabled() == false);  // no pack in this listing's probe
    rig.fs.listings["C:\\CoD\\uo\\uomappack*.pk3"] = {"uomappack1.pk3"};
    frmMain::chkCleanUo_Click(rig.ctx);
    REQUIRE(option.enabled());
    CHECK(rig.ctl("List1").items() == std::vector<std::string>{"x.pk3"});

    option.user_click();
    CHECK_FALSE(option.checked());
    CHECK_FALSE(rig.ctx.state.keep_uo_map_pack);
    CHECK(rig.ctl("List1").items() == std::vector<std::string>{"uomappack1.pk3", "x.pk3"});
    option.user_click();
    CHECK(rig.ctl("List1").items() == std::vector<std::string>{"x.pk3"});

    // With another game ticked only the option changes.
    rig.ctl("chkCleanCod").user_click();
    option.user_click();
    CHECK_FALSE(rig.ctx.state.keep_uo_map_pack);
    CHECK(rig.ctl("List1").list_count() == 3);
}
