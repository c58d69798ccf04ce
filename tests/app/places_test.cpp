// The load step over the real Linux platform in a temporary HOME without ~/.wine and without
// WINEPREFIX: games found in Steam libraries, Lutris and Bottles prefixes, and a clean of the
// folder found.
#include <doctest/doctest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <string>
#include <vector>

#include "engine/clean.h"
#include "home_rig.h"

using namespace pakscour;
using namespace pakscour::test;

namespace {

std::string new_layout(const std::vector<fs::path>& libraries) {
    std::string text = "\"libraryfolders\"\n{\n\t\"contentstatsid\"\t\t\"-4711\"\n";
    for (std::size_t i = 0; i < libraries.size(); ++i) {
        std::string escaped;
        for (char ch : libraries[i].string()) {
            if (ch == '\\' || ch == '"') escaped += '\\';
            escaped += ch;
        }
        text +=
            "\t\"" + std::to_string(i) + "\"\n\t{\n\t\t\"path\"\t\t\"" + escaped +
            "\"\n\t\t\"label\"\t\t\"\"\n\t\t\"apps\"\n\t\t{\n\t\t\t\"2620\"\t\t\"1\"\n\t\t}\n\t}\n";
    }
    return text + "}\n";
}

std::string old_layout(const std::vector<fs::path>& libraries) {
    std::string text = "\"LibraryFolders\"\n{\n\t\"TimeNextStatsReport\"\t\t\"1700000000\"\n";
    for (std::size_t i = 0; i < libraries.size(); ++i)
        text += "\t\"" + std::to_string(i + 1) + "\"\t\t\"" + libraries[i].string() + "\"\n";
    return text + "}\n";
}

// Cleans the ticked game and checks that the alien file moved into the stamped backup folder
// of `content` (a host folder) and the stock one stayed.
void clean_moves(HomeRig& rig, const fs::path& content, const std::string& stock,
                 const std::string& alien) {
    REQUIRE(rig.ctl("List1").items() == std::vector<std::string>{alien});
    rig.ctl("cmdClean").user_click();
    const fs::path backup = content / "061226140509";
    CHECK(fs::is_regular_file(backup / alien));
    CHECK_FALSE(fs::exists(content / alien));
    CHECK(fs::exists(content / stock));
    CHECK(rig.ctl("lblStatusBar").caption() == "Alien files moved to: " + z_path(backup));
    CHECK(rig.app.boxes.empty());
}

}  // namespace

TEST_CASE("Steam libraries: both layouts, every Steam folder, a second library elsewhere") {
    struct Case {
        const char* steam;  // Steam's folder below HOME
        bool new_file;
    };
    const Case cases[] = {
        {".local/share/Steam", true},
        {".steam/steam", false},
        {".var/app/com.valvesoftware.Steam/.local/share/Steam", true},
        {".var/app/com.valvesoftware.Steam/data/Steam", false},
    };
    for (const Case& c : cases) {
        CAPTURE(c.steam);
        TempHome home;
        TempFolder disk;  // another drive
        const fs::path steam = home / c.steam;
        const fs::path second = disk / "SteamLibrary";
        fs::create_directories(second / "steamapps");
        write_text(steam / "steamapps/libraryfolders.vdf",
                   c.new_file ? new_layout({steam, second}) : old_layout({second}));
        const fs::path cod = steam_app(second, "2620", "Call of Duty");
        const fs::path uo = steam_app(second, "2640", "Call of Duty United Offensive");
        const fs::path cod2 = steam_app(steam, "2630", "Call of Duty 2");
        game_files(cod, "Main", "pak0.pk3", "mod.pk3");
        game_files(uo, "uo", "pakuo06_lowres.pk3", "uo_mod.pk3");
        write_text(uo / "uo/uomappack1.pk3", "map pack");
        game_files(cod2, "main", "iw_00.iwd", "extra.iwd");

        HomeRig rig;
        rig.load();
        CHECK(rig.ctl("lblCodPath").caption() == z_path(cod));
        CHECK(rig.ctl("lblUOPath").caption() == z_path(uo));
        CHECK(rig.ctl("lblCod2Path").caption() == z_path(cod2));
        for (int i = 0; i < 3; ++i) {
            CHECK(rig.ctl("lblInstalled", i).caption() == "Installed");
            CHECK(rig.ctl("lblVer", i).caption().empty());
        }
        CHECK(rig.main.menu("mnuOptionsUOMapPack").enabled());
        CHECK(rig.ctl("lblPath").caption() == z_path(cod / "Main") + "\\*.pk3");
        clean_moves(rig, cod / "Main", "pak0.pk3", "mod.pk3");

        rig.ctl("chkCleanUo").user_click();
        CHECK(rig.ctl("lblPath").caption() == z_path(uo / "uo") + "\\*.pk3");
        clean_moves(rig, uo / "uo", "pakuo06_lowres.pk3", "uo_mod.pk3");
        CHECK(fs::exists(uo / "uo/uomappack1.pk3"));

        rig.ctl("chkCleanCod2").user_click();
        clean_moves(rig, cod2 / "main", "iw_00.iwd", "extra.iwd");
    }
}

TEST_CASE("Lutris and Bottles prefixes: the registry of each, their folders in host form") {
    TempHome home;
    // A Lutris game whose prefix is written with "~/", and one whose game file is broken.
    write_text(home / ".config/lutris/games/call-of-duty-1700000000.yml",
               "game:\n  exe: ~/Games/cod/drive_c/Games/CoD/CoDMP.exe\n  prefix: ~/Games/cod\n"
               "system: {}\nwine:\n  version: lutris-7.2\n");
    write_text(home / ".local/share/lutris/games/aaa.yml", "game:\n  prefix: [unclosed\n");
    const fs::path cod = make_prefix(home / "Games/cod", "Call of Duty", "Games\\CoD", "1.5");
    game_files(cod, "Main", "pak0.pk3", "mod.pk3");
    // A 64-bit bottle, the key where the 32-bit installer wrote it; a second Flatpak one.
    const fs::path cod2 =
        make_prefix(home / ".local/share/bottles/bottles/Shooters", "Call of Duty 2",
                    "Program Files (x86)\\Activision\\Call of Duty 2\\", "1.3", true);
    game_files(cod2, "main", "iw_00.iwd", "extra.iwd");
    const fs::path uo =
        make_prefix(home / ".var/app/com.usebottles.bottles/data/bottles/bottles/UO",
                    "Call of Duty United Offensive", "UO", "1.51");
    game_files(uo, "uo", "pakuo00.pk3", "uo_mod.pk3");

    HomeRig rig;
    rig.load();
    CHECK(rig.ctl("lblCodPath").caption() == z_path(cod));
    CHECK(rig.ctl("lblVer", 0).caption() == "1.5");
    CHECK(rig.ctl("lblCod2Path").caption() == z_path(cod2));
    CHECK(rig.ctl("lblVer", 2).caption() == "1.3");
    CHECK(rig.ctl("lblUOPath").caption() == z_path(uo));
    CHECK(rig.ctl("lblVer", 1).caption() == "1.51");
    clean_moves(rig, cod / "Main", "pak0.pk3", "mod.pk3");
    rig.ctl("chkCleanCod2").user_click();
    clean_moves(rig, cod2 / "main", "iw_00.iwd", "extra.iwd");
    rig.ctl("chkCleanUo").user_click();
    clean_moves(rig, uo / "uo", "pakuo00.pk3", "uo_mod.pk3");
}

TEST_CASE("the first place in order wins for each game") {
    // Where each place holds the game: Steam, Lutris, native Bottles, Flatpak Bottles.
    struct Case {
        bool steam, lutris, bottles, flatpak;
        const char* winner;
    };
    const Case cases[] = {
        {true, true, true, true, "steam"},     {false, true, true, true, "lutris"},
        {false, false, true, true, "bottles"}, {false, false, false, true, "flatpak"},
        {false, false, false, false, nullptr},
    };
    for (const Case& c : cases) {
        CAPTURE(c.winner ? c.winner : "none");
        TempHome home;
        std::map<std::string, fs::path> folders;
        if (c.steam) folders["steam"] = steam_app(home / ".local/share/Steam", "2630", "CoD2");
        if (c.lutris) {
            write_text(home / ".local/share/lutris/games/cod2.yml",
                       "game:\n  prefix: '" + (home / "lutris-cod2").string() + "'\n");
            folders["lutris"] = make_prefix(home / "lutris-cod2", "Call of Duty 2", "CoD2", "1.0");
        }
        if (c.bottles)
            folders["bottles"] = make_prefix(home / ".local/share/bottles/bottles/b",
                                             "Call of Duty 2", "CoD2", "1.2");
        if (c.flatpak)
            folders["flatpak"] =
                make_prefix(home / ".var/app/com.usebottles.bottles/data/bottles/bottles/f",
                            "Call of Duty 2", "CoD2", "1.3");
        for (const auto& [place, folder] : folders) fs::create_directories(folder / "main");

        HomeRig rig;
        if (!c.winner) {
            CHECK_THROWS_AS(rig.load(), ProgramEnded);
            CHECK(rig.app.boxes.size() == 1);
            continue;
        }
        rig.load();
        CHECK(rig.ctl("lblCod2Path").caption() == z_path(folders[c.winner]));
        CHECK(rig.ctl("chkCleanCod2").value() == 1);
    }
}

TEST_CASE("~/.wine's registry comes before the other places and keeps its text") {
    TempHome home;
    steam_app(home / ".steam/steam", "2620", "Call of Duty");
    const fs::path cod2 = steam_app(home / ".steam/steam", "2630", "Call of Duty 2");
    const fs::path cod = make_prefix(home / ".wine", "Call of Duty", "Games\\CoD", "1.4");
    game_files(cod, "Main", "pak0.pk3", "mod.pk3");
    HomeRig rig;
    rig.load();
    CHECK(rig.ctl("lblCodPath").caption() == "C:\\Games\\CoD");
    CHECK(rig.ctl("lblVer", 0).caption() == "1.4");
    CHECK(rig.ctl("lblCod2Path").caption() == z_path(cod2));
    REQUIRE(rig.ctl("List1").items() == std::vector<std::string>{"mod.pk3"});
    rig.ctl("cmdClean").user_click();
    CHECK(fs::exists(cod / "Main/061226140509/mod.pk3"));
    CHECK(rig.ctl("lblStatusBar").caption() ==
          "Alien files moved to: C:\\Games\\CoD\\Main\\061226140509");
}

TEST_CASE("WINEPREFIX set: that prefix only, whatever the other places hold") {
    TempHome home;
    steam_app(home / ".local/share/Steam", "2620", "Call of Duty");
    steam_app(home / ".local/share/Steam", "2630", "Call of Duty 2");
    make_prefix(home / ".local/share/bottles/bottles/b", "Call of Duty 2", "CoD2", "1.3");
    TempFolder chosen;

    SUBCASE("an empty prefix: not found") {
        EnvGuard prefix("WINEPREFIX", chosen.root().string());
        HomeRig rig;
        CHECK_THROWS_AS(rig.load(), ProgramEnded);
        REQUIRE(rig.app.boxes.size() == 1);
        CHECK(rig.app.boxes[0].text.rfind("Call of Duty was not found", 0) == 0);
    }
    SUBCASE("a prefix with Call of Duty 2 only") {
        const fs::path cod2 = make_prefix(chosen / "pfx", "Call of Duty 2", "CoD2\\", "1.2");
        fs::create_directories(cod2 / "main");
        EnvGuard prefix("WINEPREFIX", (chosen / "pfx").string());
        HomeRig rig;
        rig.load();
        CHECK(rig.ctl("lblCodPath").caption().empty());
        CHECK(rig.ctl("lblCod2Path").caption() == "C:\\CoD2\\");
        CHECK(rig.ctl("lblVer", 2).caption() == "1.2");
    }
}

TEST_CASE("bad files and folders in one place leave the other places searchable") {
    // Each kind of bad input stands where a good file would, in every place.
    enum class Bad { malformed, huge, folder, loop, unreadable, fifo, dangling };
    const Bad kinds[] = {Bad::malformed,  Bad::huge, Bad::folder,  Bad::loop,
                         Bad::unreadable, Bad::fifo, Bad::dangling};
    for (const Bad bad : kinds) {
        CAPTURE(static_cast<int>(bad));
        TempHome home;
        auto spoil = [&](const fs::path& path) {
            fs::create_directories(path.parent_path());
            switch (bad) {
                case Bad::malformed:
                    write_text(path, "\"AppState\" { \"installdir\" \"x\"\ngame:\n  prefix: \"/x");
                    break;
                case Bad::huge: {
                    // Valid in every format, but far beyond the size any such file reaches.
                    std::string text =
                        "\"AppState\" { \"installdir\" \"Huge\" }\n"
                        "libraryfolders { 1 /tmp }\ngame:\n  prefix: /tmp\n";
                    text += "//" + std::string(std::size_t{5} << 20, 'x') + "\n";
                    write_text(path, text);
                    break;
                }
                case Bad::folder:
                    fs::create_directories(path / "sub");
                    break;
                case Bad::loop:
                    fs::create_symlink(path.filename().string() + ".b", path);
                    fs::create_symlink(path.filename().string(),
                                       path.parent_path() / (path.filename().string() + ".b"));
                    break;
                case Bad::unreadable:
                    // Unreadable for anyone but root; as root, the malformed text is read.
                    write_text(path, "\"AppState\" {\ngame:\n  prefix: \"");
                    ::chmod(path.c_str(), 0);
                    break;
                case Bad::fifo:
                    ::mkfifo(path.c_str(), 0644);
                    break;
                case Bad::dangling:
                    fs::create_symlink("/nonexistent/pakscour/file", path);
                    break;
            }
        };
        const fs::path steam = home / ".steam/steam";
        spoil(steam / "steamapps/libraryfolders.vdf");
        spoil(steam / "steamapps/appmanifest_2620.acf");
        const fs::path cod2 = steam_app(steam, "2630", "Call of Duty 2");
        spoil(home / ".local/share/lutris/games/a.yml");
        write_text(home / ".local/share/lutris/games/b.yml",
                   "game:\n  prefix: " + (home / "Games/cod").string() + "\n");
        const fs::path cod = make_prefix(home / "Games/cod", "Call of Duty", "CoD", "1.5");
        const fs::path bottles = home / ".local/share/bottles/bottles";
        spoil(bottles / "0-not-a-bottle");
        fs::create_directories(bottles / "1-spoilt");
        spoil(bottles / "1-spoilt/system.reg");
        const fs::path uo =
            make_prefix(bottles / "2-good", "Call of Duty United Offensive", "UO", "1.51");
        game_files(cod, "Main", "pak0.pk3", "mod.pk3");
        fs::create_directories(uo / "uo");
        fs::create_directories(cod2 / "main");

        HomeRig rig;
        rig.load();
        CHECK(rig.ctl("lblCodPath").caption() == z_path(cod));
        CHECK(rig.ctl("lblUOPath").caption() == z_path(uo));
        CHECK(rig.ctl("lblCod2Path").caption() == z_path(cod2));
        CHECK(rig.app.boxes.empty());
        clean_moves(rig, cod / "Main", "pak0.pk3", "mod.pk3");
    }
}
