#include <doctest/doctest.h>

#include <map>
#include <string>
#include <vector>

#include "registry/steam_library.h"

using namespace pakscour;

namespace {

using Paths = std::vector<std::string>;

// Files by their exact path text; every read is recorded.
struct MapFiles : TextFiles {
    std::optional<std::string> read(const std::string& path) override {
        reads.push_back(path);
        const auto it = files.find(path);
        if (it == files.end()) return std::nullopt;
        return it->second;
    }
    std::map<std::string, std::string> files;
    Paths reads;
};

std::string manifest(const std::string& install_dir) {
    return "\"AppState\"\n{\n\t\"appid\"\t\"2620\"\n\t\"installdir\"\t\"" + install_dir +
           "\"\n\t\"StateFlags\"\t\"4\"\n}\n";
}

}  // namespace

TEST_CASE("libraryfolders.vdf in its old and new layouts") {
    struct Case {
        const char* name;
        std::string text;
        Paths libraries;
    };
    const Case cases[] = {
        {"old layout",
         "\"LibraryFolders\"\n{\n\t\"TimeNextStatsReport\"\t\"1700000000\"\n"
         "\t\"ContentStatsID\"\t\"-4711\"\n\t\"1\"\t\"D:\\\\SteamLibrary\"\n"
         "\t\"2\"\t\"/mnt/games/steam\"\n}\n",
         {"D:\\SteamLibrary", "/mnt/games/steam"}},
        {"new layout",
         "\"libraryfolders\"\n{\n\t\"contentstatsid\"\t\"-4711\"\n"
         "\t\"0\"\n\t{\n\t\t\"path\"\t\t\"/home/p/.local/share/Steam\"\n\t\t\"label\"\t\t\"\"\n"
         "\t\t\"apps\"\n\t\t{\n\t\t\t\"2620\"\t\t\"1234\"\n\t\t}\n\t}\n"
         "\t\"1\"\n\t{\n\t\t\"label\"\t\"\"\n\t\t\"PATH\"\t\t\"/media/disk/"
         "SteamLibrary\"\n\t}\n}\n",
         {"/home/p/.local/share/Steam", "/media/disk/SteamLibrary"}},
        {"entries without a usable path are left out",
         "libraryfolders { 1 \"\" 2 { label x } 3 { path { x y } } x \"/not/numbered\" 4 /ok }",
         {"/ok"}},
        {"another root block", "\"other\" { \"1\" \"/x\" }", {}},
        {"malformed", "\"libraryfolders\" { \"1\" \"/x\" ", {}},
    };
    for (const Case& c : cases) {
        CAPTURE(c.name);
        CHECK(library_folders(c.text) == c.libraries);
    }
}

TEST_CASE("an app manifest's installdir must be one plain folder name") {
    struct Case {
        std::string text;
        std::optional<std::string> dir;
    };
    const Case cases[] = {
        {manifest("Call of Duty"), "Call of Duty"},
        {"\"appstate\" { \"InstallDir\" \"CoD2\" }", "CoD2"},
        {manifest(""), std::nullopt},
        {manifest(".."), std::nullopt},
        {manifest("."), std::nullopt},
        {manifest("../../etc"), std::nullopt},
        {manifest("a/b"), std::nullopt},
        {manifest("a\\\\b"), std::nullopt},
        {manifest("C:x"), std::nullopt},
        {"\"AppState\" { \"installdir\" { } }", std::nullopt},
        {"\"AppState\" { \"name\" \"x\" }", std::nullopt},
        {"\"installdir\" \"x\"", std::nullopt},
        {"\"AppState\" { \"installdir\" \"x\"", std::nullopt},
    };
    for (const Case& c : cases) {
        CAPTURE(c.text);
        CHECK(manifest_install_dir(c.text) == c.dir);
    }
}

TEST_CASE("the libraries of the Steam folders: each folder, then those it lists") {
    MapFiles files;
    files.files["/home/p/.steam/steam/steamapps/libraryfolders.vdf"] =
        "libraryfolders { 0 { path /home/p/.steam/steam } 1 { path /mnt/b/ } 2 { path rel/lib } "
        "3 { path /mnt/c } }";
    files.files["/flat/Steam/steamapps/libraryfolders.vdf"] =
        "LibraryFolders { 1 /mnt/b 2 \"/mnt/d\" }";
    CHECK(steam_libraries(files, {"/home/p/.steam/steam/", "/nowhere", "/flat/Steam", "relative"},
                          '/') ==
          Paths{"/home/p/.steam/steam", "/mnt/b", "/mnt/c", "/nowhere", "/flat/Steam", "/mnt/d"});
    CHECK(files.reads == Paths{"/home/p/.steam/steam/steamapps/libraryfolders.vdf",
                               "/nowhere/steamapps/libraryfolders.vdf",
                               "/flat/Steam/steamapps/libraryfolders.vdf"});

    // Windows: Steam writes its own folder with forward slashes and in lower case.
    MapFiles win;
    win.files["c:\\program files (x86)\\steam\\steamapps\\libraryfolders.vdf"] =
        "libraryfolders { 0 { path \"C:\\\\Program Files (x86)\\\\Steam\" } "
        "1 { path \"D:\\\\\" } 2 { path \"\\\\\\\\nas\\\\games\" } 3 { path \"E:games\" } }";
    CHECK(steam_libraries(win, {"c:/program files (x86)/steam"}, '\\') ==
          Paths{"c:\\program files (x86)\\steam", "D:", "\\\\nas\\games"});
}

TEST_CASE("an app is found in the first library whose manifest names its folder") {
    MapFiles files;
    const Paths libraries{"/a", "/b", "/c", "/d"};
    files.files["/a/steamapps/appmanifest_2620.acf"] = "\"AppState\" { \"installdir\" ";
    files.files["/b/steamapps/appmanifest_2630.acf"] = manifest("Call of Duty 2");
    files.files["/c/steamapps/appmanifest_2620.acf"] = manifest("Call of Duty");
    files.files["/d/steamapps/appmanifest_2620.acf"] = manifest("Later");

    const auto cod = find_steam_app(files, libraries, "2620", '/');
    REQUIRE(cod);
    CHECK(cod->library == "/c");
    CHECK(cod->folder == "/c/steamapps/common/Call of Duty");
    CHECK(files.reads == Paths{"/a/steamapps/appmanifest_2620.acf",
                               "/b/steamapps/appmanifest_2620.acf",
                               "/c/steamapps/appmanifest_2620.acf"});
    CHECK(find_steam_app(files, libraries, "2630", '/')->folder ==
          "/b/steamapps/common/Call of Duty 2");
    CHECK_FALSE(find_steam_app(files, libraries, "2640", '/'));
    files.reads.clear();
    CHECK_FALSE(find_steam_app(files, libraries, "../x", '/'));
    CHECK_FALSE(find_steam_app(files, libraries, "", '/'));
    CHECK(files.reads.empty());

    MapFiles win;
    win.files["D:\\Lib\\steamapps\\appmanifest_2640.acf"] =
        manifest("Call of Duty United Offensive");
    CHECK(find_steam_app(win, {"D:\\Lib"}, "2640", '\\')->folder ==
          "D:\\Lib\\steamapps\\common\\Call of Duty United Offensive");
}
