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

// Installs Call of Duty 2 in one of the places the search knows, with its files laid out and
// its keys written as the launcher does; returns the game's folder.
fs::path install_cod2(const TempHome& home, const std::string& place, const std::string& version) {
    const fs::path lutris = home / ".var/app/net.lutris.Lutris";
    auto steam = [&](const fs::path& steam_folder) {
        const fs::path game = steam_app(steam_folder, "2630", "Call of Duty 2");
        if (!version.empty())  // a 64-bit Proton prefix, the key below Wow6432Node
            make_prefix(steam_folder / "steamapps/compatdata/2630/pfx", "Call of Duty 2",
                        "Program Files (x86)\\Steam\\steamapps\\common\\Call of Duty 2", version,
                        true);
        return game;
    };
    auto lutris_game = [&](const fs::path& yml, const fs::path& prefix) {
        pyyaml_dump(yml, "{\"game\": {\"exe\": \"x.exe\", \"prefix\": " +
                             json_string(prefix.string()) + "}, \"wine\": {}}");
        return make_prefix(prefix, "Call of Duty 2", "CoD2", version);
    };
    // A game's settings as Heroic writes them (JSON.stringify with an indent of 2): the prefix
    // of a game run with Proton holds the Wine prefix in its pfx.
    auto heroic = [&](const fs::path& config, const std::string& prefix, bool proton) {
        const std::string app = "Rk8bTNfQmkIxX5aVX3Ksy2";
        write_json(config / "GamesConfig" / (app + ".json"),
                   "{\"" + app +
                       "\": {\"autoInstallDxvk\": true, \"winePrefix\": " + json_string(prefix) +
                       ", \"wineVersion\": {\"type\": \"" + (proton ? "proton" : "wine") +
                       "\"}}, \"version\": \"v0\", " + "\"explicit\": true}");
        const fs::path root = home / prefix.substr(2);
        return make_prefix(proton ? root / "pfx" : root, "Call of Duty 2", "CoD2", version, proton);
    };
    if (place == "steam") return steam(home / ".local/share/Steam");
    if (place == "lutris") return lutris_game(home / ".local/share/lutris/games/c.yml", home / "l");
    if (place == "bottles")
        return make_prefix(home / ".local/share/bottles/bottles/b", "Call of Duty 2", "CoD2",
                           version);
    if (place == "bottles flatpak")
        return make_prefix(home / ".var/app/com.usebottles.bottles/data/bottles/bottles/f",
                           "Call of Duty 2", "CoD2", version);
    if (place == "snap") return steam(home / "snap/steam/common/.local/share/Steam");
    if (place == "snap hidden home")
        return steam(home / ".snap/data/steam/common/.local/share/Steam");
    if (place == "lutris flatpak")
        return lutris_game(lutris / "data/lutris/games/c.yml", home / "Games/cod2");
    if (place == "lutris flatpak, older")
        return lutris_game(lutris / "config/lutris/games/c.yml", home / "Games/cod2");
    if (place == "non-Steam game") {
        // Added to the Flatpak Steam and installed in a second library, in the prefix its
        // shortcut's id names; before it, the prefix of a shortcut that never ran.
        const fs::path steam = home / ".var/app/com.valvesoftware.Steam/.local/share/Steam";
        const fs::path library = home / "disk/SteamLibrary";
        write_text(steam / "steamapps/libraryfolders.vdf",
                   "\"libraryfolders\"\n{\n\t\"0\"\n\t{\n\t\t\"path\"\t\t\"" + library.string() +
                       "\"\n\t}\n}\n");
        fs::create_directories(library / "steamapps/compatdata/2147483649/pfx");
        return make_prefix(library / "steamapps/compatdata/3188394862/pfx", "Call of Duty 2",
                           "Games\\CoD2", version, true);
    }
    if (place == "heroic")
        return heroic(home / ".config/heroic", "~/Games/Heroic/Prefixes/default/CoD2", false);
    if (place == "heroic flatpak, proton")
        return heroic(home / ".var/app/com.heroicgameslauncher.hgl/config/heroic",
                      "~/Games/Heroic/Prefixes/default/Call of Duty 2 \"GotY\" – Präfix", true);
    throw std::logic_error("no such place: " + place);
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
    const char* const places[] = {"steam", "lutris",         "bottles",        "bottles flatpak",
                                  "snap",  "lutris flatpak", "non-Steam game", "heroic"};
    const std::size_t count = std::size(places);
    // The game in every place from `first` on; in none for the last round.
    for (std::size_t first = 0; first <= count; ++first) {
        CAPTURE(first);
        TempHome home;
        std::vector<fs::path> folders;
        for (std::size_t i = first; i < count; ++i)
            folders.push_back(install_cod2(home, places[i], "1." + std::to_string(i)));
        for (const fs::path& folder : folders) fs::create_directories(folder / "main");

        HomeRig rig;
        if (folders.empty()) {
            CHECK_THROWS_AS(rig.load(), ProgramEnded);
            CHECK(rig.app.boxes.size() == 1);
            continue;
        }
        rig.load();
        CHECK(rig.ctl("lblCod2Path").caption() == z_path(folders.front()));
        CHECK(rig.ctl("lblVer", 2).caption() == "1." + std::to_string(first));
        CHECK(rig.ctl("chkCleanCod2").value() == 1);
    }
}

TEST_CASE("the places added last: found with their prefix's version, and cleaned") {
    for (const std::string place :
         {"snap", "snap hidden home", "lutris flatpak", "lutris flatpak, older", "non-Steam game",
          "heroic", "heroic flatpak, proton"}) {
        CAPTURE(place);
        TempHome home;
        const fs::path cod2 = install_cod2(home, place, "1.3");
        game_files(cod2, "main", "iw_00.iwd", "extra.iwd");
        HomeRig rig;
        rig.load();
        CHECK(rig.ctl("lblCod2Path").caption() == z_path(cod2));
        CHECK(rig.ctl("lblVer", 2).caption() == "1.3");
        clean_moves(rig, cod2 / "main", "iw_00.iwd", "extra.iwd");
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
        // United Offensive is only where Heroic names it, after spoilt Proton prefixes, a
        // prefix without registry, a truncated settings file and a spoilt one.
        const fs::path compatdata = home / ".local/share/Steam/steamapps/compatdata";
        spoil(compatdata / "1");
        fs::create_directories(compatdata / "2/pfx");
        fs::create_directories(compatdata / "3/pfx");
        spoil(compatdata / "3/pfx/system.reg");
        const fs::path heroic = home / ".config/heroic/GamesConfig";
        write_text(heroic / "a.json", "{\"a\": {\"winePrefix\": \"" + home.root().string());
        spoil(heroic / "b.json");
        write_text(heroic / "c.json", "{\"c\": {\"winePrefix\": \"~/Games/uo\"}}");
        const fs::path uo =
            make_prefix(home / "Games/uo", "Call of Duty United Offensive", "UO", "1.51");
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
