// Launcher files as PyYAML writes them (block style, long values folded over several lines,
// quoted and escaped where they hold ": " or non-ASCII letters), read over the real Linux
// platform: the game is found in the prefix the file names, not in one its first line names.
#include <doctest/doctest.h>

#include <string>

#include "home_rig.h"

using namespace pakscour;
using namespace pakscour::test;

namespace {

std::string lutris_game(const fs::path& prefix) {
    return "{\"game\": {\"exe\": " + json_string((prefix / "drive_c/CoD/CoDMP.exe").string()) +
           ", \"prefix\": " + json_string(prefix.string()) +
           "}, \"system\": {}, \"wine\": {\"version\": \"lutris-7.2\"}}";
}

// The value on the "prefix:" line itself, as a reader of single lines takes it.
std::string first_line_value(const fs::path& yml) {
    std::ifstream in(yml);
    for (std::string line; std::getline(in, line);)
        if (auto at = line.find("prefix: "); at != std::string::npos) return line.substr(at + 8);
    return {};
}

}  // namespace

TEST_CASE("Lutris and Bottles files written by PyYAML: long prefixes, colons, other letters") {
    TempHome home;
    const fs::path drive = home / "Zweite Platte";
    // Plain, folded over two lines at a space.
    const fs::path cod = drive /
                         "Games/Wine prefixes on the second drive/Call of Duty Game of "
                         "the Year Edition with the United Offensive expansion";
    // Double-quoted: ": " and letters PyYAML writes as escapes, folded with a backslash.
    const fs::path cod2 = drive /
                          "Spiele: für Wine/Call of Duty 2 – Präfix für „Ärger“ über die "
                          "Zeile hinaus/und noch ein Ordner";
    // Single-quoted: ": " in plain ASCII.
    const fs::path bottles = drive /
                             "Bottles on drive two: games/for the old Call of Duty "
                             "United Offensive multiplayer servers";
    const fs::path cod_game = make_prefix(cod, "Call of Duty", "Games\\Call of Duty", "1.5");
    game_files(cod_game, "Main", "pak0.pk3", "mod.pk3");
    const fs::path cod2_game =
        make_prefix(cod2, "Call of Duty 2", "Program Files\\Activision\\Call of Duty 2\\", "1.3");
    game_files(cod2_game, "main", "iw_00.iwd", "extra.iwd");
    const fs::path uo_game =
        make_prefix(bottles / "UO bottle", "Call of Duty United Offensive", "Games\\UO", "1.51");
    game_files(uo_game, "uo", "pakuo00.pk3", "uo_mod.pk3");

    const fs::path cod_yml = home / ".local/share/lutris/games/call-of-duty-1700000000.yml";
    pyyaml_dump(cod_yml, lutris_game(cod));
    pyyaml_dump(home / ".config/lutris/games/call-of-duty-2-1700000001.yml", lutris_game(cod2));
    pyyaml_dump(
        home / ".var/app/com.usebottles.bottles/data/bottles/data.yml",
        "{\"custom_bottles_path\": " + json_string(bottles.string()) + ", \"notes\": \"x\"}");
    // A prefix where a reader of single lines would look: it holds another Call of Duty.
    const std::string cut = first_line_value(cod_yml);
    REQUIRE(cut.size() < cod.string().size());
    REQUIRE(cod.string().rfind(cut, 0) == 0);
    const fs::path decoy = make_prefix(cut, "Call of Duty", "Decoy", "0.1");
    game_files(decoy, "Main", "pak0.pk3", "decoy.pk3");

    HomeRig rig;
    rig.load();
    CHECK(rig.app.boxes.empty());
    CHECK(rig.ctl("lblCodPath").caption() == z_path(cod_game));
    CHECK(rig.ctl("lblVer", 0).caption() == "1.5");
    CHECK(rig.ctl("lblCod2Path").caption() == z_path(cod2_game));
    CHECK(rig.ctl("lblVer", 2).caption() == "1.3");
    CHECK(rig.ctl("lblUOPath").caption() == z_path(uo_game));
    CHECK(rig.ctl("lblVer", 1).caption() == "1.51");
    CHECK(rig.ctl("List1").items() == std::vector<std::string>{"mod.pk3"});
    rig.ctl("chkCleanCod2").user_click();
    CHECK(rig.ctl("List1").items() == std::vector<std::string>{"extra.iwd"});
    rig.ctl("chkCleanUo").user_click();
    CHECK(rig.ctl("List1").items() == std::vector<std::string>{"uo_mod.pk3"});
    rig.ctl("cmdClean").user_click();
    CHECK(fs::is_regular_file(uo_game / "uo/061226140509/uo_mod.pk3"));
    CHECK_FALSE(fs::exists(uo_game / "uo/uo_mod.pk3"));
    CHECK(fs::exists(decoy / "Main/decoy.pk3"));
}
