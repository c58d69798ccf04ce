#include <doctest/doctest.h>

#include "engine/clean.h"
#include "engine/scan.h"
#include "prefix_rig.h"

using namespace pakscour;
using namespace pakscour::test;

namespace {

struct CleanRig {
    CleanRig(const std::string& cod, const std::string& uo, const std::string& cod2) : rig(prefix) {
        prepare_main_window(rig.program, cod, uo, cod2);
    }
    TempPrefix prefix;
    PrefixRig rig;
};

}  // namespace

TEST_CASE("three alien files go into a stamped backup folder; stock files stay") {
    CleanRig c("C:\\Games\\CoD", "", "");
    for (const char* name : {"pak0.pk3", "a.pk3", "b.pk3", "c.pk3", "localized_pak.pk3"})
        c.prefix.file(std::string("Games/CoD/Main/") + name, std::string("content of ") + name);
    c.rig.ctl("chkCleanCod").set_value(1);
    REQUIRE(c.rig.ctl("List1").list_count() == 3);

    c.rig.ctl("cmdClean").user_click();
    const fs::path backup = c.prefix.c("Games/CoD/Main/061226140509");
    CHECK(c.rig.ctl("lblStatusBar").caption() ==
          "Alien files moved to: C:\\Games\\CoD\\Main\\061226140509");
    for (const char* name : {"a.pk3", "b.pk3", "c.pk3"}) {
        CHECK_FALSE(fs::exists(c.prefix.c("Games/CoD/Main") / name));
        CHECK(read_file(backup / name) == std::string("content of ") + name);
    }
    CHECK(fs::exists(c.prefix.c("Games/CoD/Main/pak0.pk3")));
    CHECK(fs::exists(c.prefix.c("Games/CoD/Main/localized_pak.pk3")));
    CHECK(c.rig.ctl("List1").list_count() == 0);
    CHECK_FALSE(c.rig.ctl("cmdClean").enabled());
    CHECK(c.rig.ctx.state.backup_made);
    CHECK(c.rig.ctx.state.backup_path == "C:\\Games\\CoD\\Main\\061226140509");
    CHECK(c.rig.ctl("lblStatusBar").tooltip() ==
          "Click here to open Windows Explorer and view the files");
    CHECK(c.rig.app.pointer_changes == std::vector<bool>{true, false});
    CHECK(c.rig.app.boxes.empty());
}

TEST_CASE("Call of Duty 2 and United Offensive folders") {
    SUBCASE("CoD2") {
        CleanRig c("", "", "C:\\CoD2\\");
        c.prefix.file("CoD2/main/iw_01.iwd");
        c.prefix.file("CoD2/main/zz.iwd");
        c.rig.ctl("chkCleanCod2").set_value(1);
        c.rig.ctl("cmdClean").user_click();
        CHECK(fs::exists(c.prefix.c("CoD2/main/061226140509/zz.iwd")));
        CHECK(fs::exists(c.prefix.c("CoD2/main/iw_01.iwd")));
        CHECK(c.rig.ctx.state.backup_path == "C:\\CoD2\\main\\061226140509");
    }
    SUBCASE("UO with an install folder of its own is listed, probed and moved there") {
        CleanRig c("C:\\CoD", "C:\\Elsewhere", "");
        c.prefix.file("CoD/uo/mod.pk3", "CoD's copy");
        c.prefix.file("CoD/uo/uomappack1.pk3");
        for (const char* stock : {"pakuo00.pk3", "pakuo06.pk3", "pakuo06_lowres.pk3"})
            c.prefix.file(std::string("Elsewhere/uo/") + stock);
        c.prefix.file("Elsewhere/uo/mod.pk3", "mine");
        c.prefix.file("Elsewhere/uo/uomappack2.pk3");
        check_uo_map_packs(c.rig.ctx);
        CHECK(c.rig.main.menu("mnuOptionsUOMapPack").enabled());
        c.rig.ctl("chkCleanUo").set_value(1);
        CHECK(c.rig.ctl("lblPath").caption() == "C:\\Elsewhere\\uo\\*.pk3");
        CHECK(c.rig.ctl("List1").items() == std::vector<std::string>{"mod.pk3"});
        c.rig.ctl("cmdClean").user_click();
        CHECK(read_file(c.prefix.c("Elsewhere/uo/061226140509/mod.pk3")) == "mine");
        CHECK(c.rig.ctx.state.backup_path == "C:\\Elsewhere\\uo\\061226140509");
        for (const char* stock :
             {"pakuo00.pk3", "pakuo06.pk3", "pakuo06_lowres.pk3", "uomappack2.pk3"})
            CHECK(fs::exists(c.prefix.c("Elsewhere/uo") / stock));
        CHECK(read_file(c.prefix.c("CoD/uo/mod.pk3")) == "CoD's copy");
        CHECK(c.rig.app.boxes.empty());
    }
    SUBCASE("without map packs in the UO folder the option stays off") {
        CleanRig c("C:\\CoD", "C:\\Elsewhere", "");
        c.prefix.file("CoD/uo/uomappack1.pk3");
        c.prefix.file("Elsewhere/uo/pakuo00.pk3");
        check_uo_map_packs(c.rig.ctx);
        CHECK_FALSE(c.rig.main.menu("mnuOptionsUOMapPack").enabled());
    }
}

TEST_CASE("a stale list: the rescan decides what is moved") {
    CleanRig c("C:\\CoD", "", "");
    c.prefix.file("CoD/Main/gone.pk3");
    c.rig.ctl("chkCleanCod").set_value(1);
    REQUIRE(c.rig.ctl("List1").list_count() == 1);

    SUBCASE("files deleted by hand: no folder, the nothing-found message") {
        fs::remove(c.prefix.c("CoD/Main/gone.pk3"));
        frmMain::cmdClean_Click(c.rig.ctx);
        CHECK_FALSE(fs::exists(c.prefix.c("CoD/Main/061226140509")));
        CHECK(c.rig.ctl("lblStatusBar").caption() ==
              "There are no alien PK3 files in your CoD folder");
        CHECK(c.rig.app.pointer_changes.empty());
    }
    SUBCASE("files added since the scan are moved too") {
        c.prefix.file("CoD/Main/new.pk3");
        frmMain::cmdClean_Click(c.rig.ctx);
        CHECK(fs::exists(c.prefix.c("CoD/Main/061226140509/gone.pk3")));
        CHECK(fs::exists(c.prefix.c("CoD/Main/061226140509/new.pk3")));
    }
}

TEST_CASE("a backup folder that exists already ends the run before any file is touched") {
    CleanRig c("C:\\CoD", "", "");
    c.prefix.file("CoD/Main/a.pk3", "A");
    fs::create_directories(c.prefix.c("CoD/Main/061226140509"));
    c.rig.ctl("chkCleanCod").set_value(1);
    CHECK_THROWS_AS(frmMain::cmdClean_Click(c.rig.ctx), ProgramEnded);
    REQUIRE(c.rig.app.boxes.size() == 1);
    CHECK(c.rig.app.boxes[0].text.rfind(
              "An error has occurred in frmMain (cmdClean_Click)\r\n\r\nError number:  58", 0) ==
          0);
    CHECK(read_file(c.prefix.c("CoD/Main/a.pk3")) == "A");
    CHECK_FALSE(c.rig.app.busy);
}

TEST_CASE("a date text without leading zeros fails at the folder, before any file") {
    CleanRig c("C:\\CoD", "", "");
    c.prefix.file("CoD/Main/a.pk3", "A");
    c.rig.clock.date = "6/12/2026";
    c.rig.ctl("chkCleanCod").set_value(1);
    CHECK_THROWS_AS(frmMain::cmdClean_Click(c.rig.ctx), ProgramEnded);
    CHECK(read_file(c.prefix.c("CoD/Main/a.pk3")) == "A");
}
