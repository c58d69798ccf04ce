// A Steam game run with Proton: its files in the library's steamapps/common, its registry in
// steamapps/compatdata/<appid>/pfx, a prefix made and written by real Wine.
#include <doctest/doctest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "../home_rig.h"
#include "platform/posix/proton_prefixes.h"

using namespace pakscour;
using namespace pakscour::test;

namespace {

int run(const std::string& command) {
    return std::system(command.c_str());
}

// A Wine loader that runs here: `wine`, or `wine64` where 32-bit programs cannot run.
std::optional<std::string> find_wine() {
    for (const char* loader : {"wine", "wine64", "/usr/lib/wine/wine64"}) {
        if (run(std::string("WINEDEBUG=-all ") + loader + " --version >/dev/null 2>&1") == 0)
            return loader;
    }
    return std::nullopt;
}

}  // namespace

TEST_CASE("a Proton prefix gives the version; the library gives the folder") {
    const auto wine = find_wine();
    if (!wine) {
        MESSAGE("skipped: no working wine on PATH");
        return;
    }
    TempFolder disk;
    const fs::path library = disk / "SteamLibrary";
    const fs::path pfx = library / "steamapps/compatdata/2620/pfx";
    fs::create_directories(pfx);
    // Wine runs with the real HOME and the Proton prefix, before the test's HOME is set.
    const std::string env =
        "WINEPREFIX='" + pfx.string() +
        "' WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml,winemenubuilder.exe=' ";
    const std::string quiet = " >/dev/null 2>&1";
    REQUIRE(run(env + *wine + " wineboot -i" + quiet) == 0);
    const std::string key = "'HKLM\\Software\\Activision\\Call of Duty'";
    // The folder the game's registry names is inside the prefix and holds nothing; the
    // library's folder is the game's.
    REQUIRE(run(env + *wine + " reg add " + key +
                " /v InstallPath /d 'C:\\Program Files (x86)\\Call of Duty' /f /reg:32" + quiet) ==
            0);
    REQUIRE(run(env + *wine + " reg add " + key + " /v Version /d '1.5' /f /reg:32" + quiet) == 0);
    REQUIRE(run(env + "wineserver -w") == 0);
    // Real Wine's order of keys leads the bisection to the key, below Wow6432Node.
    const auto games = posix::games_registry_text(pfx / "system.reg");
    REQUIRE(games.has_value());
    CHECK(games->find("[Software\\\\Wow6432Node\\\\Activision\\\\Call of Duty]") !=
          std::string::npos);

    TempHome home;
    write_text(home / ".local/share/Steam/steamapps/libraryfolders.vdf",
               "\"libraryfolders\"\n{\n\t\"1\"\n\t{\n\t\t\"path\"\t\t\"" + library.string() +
                   "\"\n\t}\n}\n");
    const fs::path cod = steam_app(library, "2620", "Call of Duty");
    game_files(cod, "Main", "pak0.pk3", "mod.pk3");
    const fs::path cod2 = steam_app(library, "2630", "Call of Duty 2");

    HomeRig rig;
    rig.load();
    CHECK(rig.ctl("lblCodPath").caption() == z_path(cod));
    CHECK(rig.ctl("lblVer", 0).caption() == "1.5");
    // Call of Duty 2 has no Proton prefix: no version.
    CHECK(rig.ctl("lblCod2Path").caption() == z_path(cod2));
    CHECK(rig.ctl("lblVer", 2).caption().empty());
    REQUIRE(rig.ctl("List1").items() == std::vector<std::string>{"mod.pk3"});
    rig.ctl("cmdClean").user_click();
    CHECK(fs::is_regular_file(cod / "Main/061226140509/mod.pk3"));
    CHECK(fs::exists(cod / "Main/pak0.pk3"));
    CHECK(rig.ctl("lblStatusBar").caption() ==
          "Alien files moved to: " + z_path(cod / "Main/061226140509"));
    CHECK(rig.app.boxes.empty());
}
