#include <doctest/doctest.h>

#include "engine/catalogue.h"
#include "engine/paths.h"
#include "engine/scan.h"
#include "rig.h"
#include "ui/main/frm_main_events.h"

using namespace pakscour;
using pakscour::test::Rig;

namespace {

bool alien(Rig& rig, const char* game, const std::string& name, bool keep_map_pack = true) {
    rig.ctx.state.selected_game = game;
    rig.ctx.state.keep_uo_map_pack = keep_map_pack;
    check_file(rig.ctx, name);
    return rig.ctx.state.is_alien;
}

}  // namespace

TEST_CASE("the stock catalogue after init") {
    Rig rig;
    init(rig.ctx);
    const RunState& s = rig.ctx.state;
    CHECK(s.stock_cod[10] == "paka.pk3");
    CHECK(s.stock_cod[11] == "pakb.pk3");
    CHECK(s.stock_uo[3] == "pakuo03.pk3");
    CHECK(s.stock_uo.size() == 9);
    CHECK(s.stock_uo[8] == "pakuo06_lowres.pk3");
    CHECK(s.stock_cod2[15] == "iw_15.iwd");
    CHECK(s.keep_uo_map_pack);
    CHECK_FALSE(s.backup_made);
    CHECK(s.backup_path.empty());
}

TEST_CASE("classification of names for each game") {
    Rig rig;
    init(rig.ctx);
    struct Case {
        const char* game;
        const char* name;
        bool keep;
        bool alien;
    };
    const Case cases[] = {
        {"COD", "pak0.pk3", true, false},
        {"COD", "PAK1.PK3", true, false},
        {"COD", "pakb.pk3", true, false},
        {"COD", "pakc.pk3", true, true},
        {"COD", "mymod.pk3", true, true},
        {"COD", "pakuo00.pk3", true, true},
        {"COD", "uomappack1.pk3", true, true},
        {"COD", "localized_english_pak0.pk3", true, false},
        {"COD", "zz_localized.pk3", true, false},
        {"COD", "Localized_x.pk3", true, true},
        {"UO", "pakuo07.pk3", true, false},
        {"UO", "pakuo06_lowres.pk3", true, false},
        {"UO", "PAKUO06_LOWRES.PK3", false, false},
        {"UO", "pakuo08.pk3", true, true},
        {"COD", "pakuo06_lowres.pk3", true, true},
        {"UO", "PakUO00.pk3", true, false},
        {"UO", "pak0.pk3", true, true},
        {"UO", "uomappack1.pk3", true, false},
        {"UO", "uomappack1.pk3", false, true},
        {"UO", "UOMAPPACK1.pk3", true, true},
        {"UO", "uomappack_localized.pk3", false, false},
        {"COD2", "iw_00.iwd", true, false},
        {"COD2", "IW_15.IWD", true, false},
        {"COD2", "iw_16.iwd", true, true},
        {"COD2", "pak0.pk3", true, true},
        {"COD2", "localized_english_iw00.iwd", true, false},
        {"XYZ", "pak0.pk3", true, true},
    };
    for (const Case& c : cases) {
        CAPTURE(c.game);
        CAPTURE(c.name);
        CAPTURE(c.keep);
        CHECK(alien(rig, c.game, c.name, c.keep) == c.alien);
    }
}

TEST_CASE("install folders and sub-paths are joined with exactly one backslash") {
    CHECK(join_path("C:\\Games\\CoD", "Main\\*.pk3") == "C:\\Games\\CoD\\Main\\*.pk3");
    CHECK(join_path("C:\\Games\\CoD\\", "Main\\*.pk3") == "C:\\Games\\CoD\\Main\\*.pk3");
    CHECK(join_path("D:\\CoD2\\", "main\\*.iwd") == "D:\\CoD2\\main\\*.iwd");
    CHECK(join_path("D:\\CoD2", "main\\*.iwd") == "D:\\CoD2\\main\\*.iwd");
    CHECK(join_path("D:\\CoD2", "\\main\\") == "D:\\CoD2\\main\\");
}

TEST_CASE("the scan lists alien names in enumeration order into the list and alien_files") {
    Rig rig;
    test::prepare_main_window(rig.program, "C:\\Games\\CoD", "C:\\Games\\CoD", "D:\\CoD2\\");
    const std::string cod = "C:\\Games\\CoD\\Main\\*.pk3";
    rig.fs.listings[cod] = {"zeta.pk3", "pak0.pk3", "alpha.pk3", "PAK1.PK3",
                            "m3.pk3",   "b.pk3",    "c.pk3"};
    rig.ctl("chkCleanCod").set_value(1);
    forms::Control& list = rig.ctl("List1");
    REQUIRE(list.list_count() == 5);
    CHECK(list.items() ==
          std::vector<std::string>{"zeta.pk3", "alpha.pk3", "m3.pk3", "b.pk3", "c.pk3"});
    CHECK(rig.ctl("lblAlienGame").caption() == "Call of Duty :  Alien PK3 Files");
    CHECK(rig.ctl("lblPath").caption() == cod);
    CHECK(rig.ctl("cmdClean").enabled());
    CHECK(rig.ctx.state.current_file.empty());

    // A shorter scan keeps the later entries of the earlier one, unread.
    rig.fs.listings[cod] = {"x.pk3", "pak2.pk3", "y.pk3", "z.pk3"};
    frmMain::chkCleanCod_Click(rig.ctx);
    CHECK(rig.ctx.state.alien_count == 3);
    CHECK(list.items() == std::vector<std::string>{"x.pk3", "y.pk3", "z.pk3"});
    for (int i = 0; i < 3; ++i) CHECK(rig.ctx.state.alien_files[i] == list.item(i));
    CHECK(rig.ctx.state.alien_files[3] == "b.pk3");
    CHECK(rig.ctx.state.alien_files[4] == "c.pk3");
}

TEST_CASE("the scan reads the folder of the ticked game, CoD2 when neither CoD nor UO is") {
    Rig rig;
    test::prepare_main_window(rig.program, "C:\\Games\\CoD", "E:\\Elsewhere\\UO", "D:\\CoD2");
    rig.ctl("chkCleanUo").set_value(1);
    // United Offensive is scanned in its own install folder, wherever Call of Duty is.
    CHECK(rig.ctl("lblPath").caption() == "E:\\Elsewhere\\UO\\uo\\*.pk3");
    CHECK(rig.ctl("lblAlienGame").caption() == "Call of Duty United Offensive :  Alien PK3 Files");
    // The handler re-ticks its own box unless another game was chosen meanwhile.
    rig.ctl("chkCleanUo").set_value(0);
    CHECK(rig.ctl("chkCleanUo").value() == 1);
    rig.ctx.state.last_checked_game.clear();
    rig.ctl("chkCleanUo").set_value(0);
    REQUIRE(rig.ticked() == 0);
    get_alien_files(rig.ctx);
    CHECK(rig.ctx.state.selected_game == "COD2");
    CHECK(rig.ctl("lblPath").caption() == "D:\\CoD2\\main\\*.iwd");
    CHECK(rig.ctl("lblAlienGame").caption() == "Call of Duty 2 :  Alien IWD Files");
    CHECK_FALSE(rig.ctl("cmdClean").enabled());
}

TEST_CASE("a folder of 6000 alien files is listed whole") {
    Rig rig;
    test::prepare_main_window(rig.program, "C:\\CoD", "", "");
    auto& names = rig.fs.listings["C:\\CoD\\Main\\*.pk3"];
    for (int i = 0; i < 6000; ++i) names.push_back("mod" + std::to_string(i) + ".pk3");
    rig.ctl("chkCleanCod").set_value(1);
    CHECK(rig.ctl("List1").list_count() == 6000);
    CHECK(rig.ctx.state.alien_files[5999] == "mod5999.pk3");
    CHECK(rig.ctl("lblStatusBar").caption() == "Found 6000 Alien PK3 files");
    CHECK(rig.app.boxes.empty());
}

TEST_CASE("the map-pack probe looks into the United Offensive folder") {
    Rig rig;
    test::prepare_main_window(rig.program, "C:\\CoD", "D:\\Steam\\UO", "");
    rig.fs.listings["C:\\CoD\\uo\\uomappack*.pk3"] = {"uomappack1.pk3"};
    check_uo_map_packs(rig.ctx);
    CHECK(rig.fs.patterns.back() == "D:\\Steam\\UO\\uo\\uomappack*.pk3");
    CHECK_FALSE(rig.main.menu("mnuOptionsUOMapPack").enabled());
    rig.fs.listings["D:\\Steam\\UO\\uo\\uomappack*.pk3"] = {"uomappack1.pk3"};
    check_uo_map_packs(rig.ctx);
    CHECK(rig.main.menu("mnuOptionsUOMapPack").enabled());
}

TEST_CASE("the map-pack probe enables the option exactly when a pack is present") {
    Rig rig;
    test::prepare_main_window(rig.program, "C:\\CoD", "C:\\CoD", "");
    forms::MenuItem& option = rig.main.menu("mnuOptionsUOMapPack");
    check_uo_map_packs(rig.ctx);
    CHECK_FALSE(option.enabled());
    CHECK(rig.fs.patterns.back() == "C:\\CoD\\uo\\uomappack*.pk3");
    rig.fs.listings["C:\\CoD\\uo\\uomappack*.pk3"] = {"uomappack2.pk3", "uomappack1.pk3"};
    check_uo_map_packs(rig.ctx);
    CHECK(option.enabled());
    CHECK(rig.ctx.state.map_pack_file == "uomappack2.pk3");
    CHECK(option.checked());
}
