// Game folders given on the command line, over the real Linux platform: they come ahead of
// every other place, in any case of their names, are read through their host paths even when
// the prefix's drive Z: points elsewhere, and a folder that cannot be used is reported by name.
#include <doctest/doctest.h>

#include <fstream>
#include <string>
#include <vector>

#include "home_rig.h"
#include "registry/frm_main_load.h"
#include "registry/named_folders.h"

using namespace pakscour;
using namespace pakscour::test;

TEST_CASE("command-line folders come first, are read directly, and bad ones are named") {
    TempHome home;
    // ~/.wine registers another Call of Duty; its drive Z: leads to an empty folder, not to /.
    const fs::path registered = make_prefix(home / ".wine", "Call of Duty", "Games\\CoD", "1.5");
    game_files(registered, "Main", "pak0.pk3", "registered.pk3");
    fs::create_directories(home / "elsewhere");
    fs::create_directory_symlink(home / "elsewhere", home / ".wine/dosdevices/z:");
    // A copied install whose names are in other cases, with United Offensive in it.
    const fs::path portable = home / "USB stick: copy/Call of Duty für unterwegs";
    game_files(portable, "MAIN", "PAK0.PK3", "alien.pk3");
    game_files(portable, "uo", "PakUO00.pk3", "uo_alien.pk3");
    const fs::path cod2 = home / "cod2";
    game_files(cod2, "main", "iw_00.iwd", "alien.iwd");
    const fs::path empty = home / "no game here";
    fs::create_directories(empty / "Main");
    const fs::path missing = home / "gone";
    const fs::path file = home / "pak0.pk3";
    std::ofstream(file) << "a file";

    HomeRig rig(
        {missing.string(), empty.string() + "/", file.string(), portable.string(), cod2.string()});
    rig.load();
    REQUIRE(rig.app.boxes.size() == 3);
    CHECK(rig.app.boxes[0].text ==
          rejected_folder_text({missing.string(), FolderProblem::missing, '/'}));
    CHECK(rig.app.boxes[1].text ==
          rejected_folder_text({empty.string(), FolderProblem::no_game, '/'}));
    CHECK(rig.app.boxes[2].text.starts_with("This is a file, not a folder:\r\r" + file.string()));
    for (const auto& box : rig.app.boxes) {
        CHECK(box.text.find("Main/pak0.pk3") != std::string::npos);
        CHECK(box.text.find("main/iw_00.iwd") != std::string::npos);
    }
    CHECK(rejected_folder_line({file.string(), FolderProblem::not_folder, '/'}) ==
          "pakscour: '" + file.string() + "': not a folder");
    CHECK(rig.app.boxes[1].text.find(empty.string()) != std::string::npos);
    CHECK(rig.ctl("lblCodPath").caption() == z_path(portable));
    CHECK(rig.ctl("lblUOPath").caption() == z_path(portable));
    CHECK(rig.ctl("lblCod2Path").caption() == z_path(cod2));
    for (int row : {0, 1, 2}) CHECK(rig.ctl("lblVer", row).caption().empty());
    CHECK(rig.ctl("List1").items() == std::vector<std::string>{"alien.pk3"});
    rig.ctl("cmdClean").user_click();
    CHECK(fs::is_regular_file(portable / "MAIN/061226140509/alien.pk3"));
    CHECK_FALSE(fs::exists(portable / "MAIN/alien.pk3"));
    CHECK(fs::exists(registered / "Main/registered.pk3"));
    CHECK(fs::is_empty(home / "elsewhere"));
    rig.ctl("chkCleanUo").user_click();
    CHECK(rig.ctl("List1").items() == std::vector<std::string>{"uo_alien.pk3"});
}

TEST_CASE("a command-line folder without a game, and nothing else: named, then not found") {
    TempHome home;
    fs::create_directories(home / "empty");
    HomeRig rig({(home / "empty").string()});
    CHECK_THROWS_AS(rig.load(), ProgramEnded);
    REQUIRE(rig.app.boxes.size() == 2);
    CHECK(rig.app.boxes[0].text.find((home / "empty").string()) != std::string::npos);
    CHECK(rig.app.boxes[1].text == not_found_text);
}

TEST_CASE("a command-line folder that the game's registry key names keeps the key's version") {
    TempHome home;
    const fs::path registered = make_prefix(home / ".wine", "Call of Duty", "Games\\CoD", "1.5");
    game_files(registered, "Main", "pak0.pk3", "registered.pk3");
    // Named by another path of the same folder, through a link.
    fs::create_directory_symlink(registered, home / "cod-link");
    HomeRig rig({(home / "cod-link").string()});
    rig.load();
    CHECK(rig.app.boxes.empty());
    CHECK(rig.ctl("lblVer", 0).caption() == "1.5");
}
