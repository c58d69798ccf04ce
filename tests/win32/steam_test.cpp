// Games found in the Steam libraries under Wine: SteamPath as Steam writes it (forward slashes,
// lower case), put into the prefix by Wine's reg.exe in the ctest fixture steam_path_setup; the
// libraries in the prefix's drive C:. The load step's result, then a clean.
#include <windows.h>

#include <doctest/doctest.h>

#include <string>
#include <vector>

#include "main_window.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_game_finder.h"
#include "temp_folder.h"
#include "test_platform.h"
#include "ui/program.h"

namespace pakscour {

using test::exists;
using test::make_folder;
using test::read_file;
using test::write_file;
using win32::widen;

namespace {

// What the fixture writes, and the folder it names.
const std::string steam_path_value = "c:/pakscour-steam-test/steam";
const std::string root = "C:\\pakscour-steam-test";
const std::string steam = root + "\\Steam";
const std::string library2 = root + "\\Library2";

std::string registered_steam_path() {
    wchar_t text[512] = {};
    DWORD bytes = sizeof text;
    if (RegGetValueW(HKEY_CURRENT_USER, L"Software\\Valve\\Steam", L"SteamPath", RRF_RT_REG_SZ,
                     nullptr, text, &bytes) != ERROR_SUCCESS)
        return {};
    return win32::narrow(text);
}

void remove_tree(const std::wstring& folder) {
    WIN32_FIND_DATAW d;
    const HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &d);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = d.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring full = folder + L"\\" + name;
            if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                remove_tree(full);
            else
                DeleteFileW(full.c_str());
        } while (FindNextFileW(h, &d));
        FindClose(h);
    }
    RemoveDirectoryW(folder.c_str());
}

void make_folders(const std::string& path) {
    for (std::size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1))
        make_folder(path.substr(0, at));
    make_folder(path);
}

// The two libraries, removed again at the end.
struct SteamTree {
    SteamTree() {
        remove_tree(widen(root));
        make_folders(steam + "\\steamapps");
        make_folders(library2 + "\\steamapps");
    }
    ~SteamTree() { remove_tree(widen(root)); }
    SteamTree(const SteamTree&) = delete;
    SteamTree& operator=(const SteamTree&) = delete;

    // An app's manifest and its folder; returns the folder.
    std::string app(const std::string& library, const std::string& id, const std::string& dir) {
        write_file(library + "\\steamapps\\appmanifest_" + id + ".acf",
                   "\"AppState\"\n{\n\t\"appid\"\t\t\"" + id + "\"\n\t\"installdir\"\t\t\"" + dir +
                       "\"\n}\n");
        const std::string folder = library + "\\steamapps\\common\\" + dir;
        make_folders(folder);
        return folder;
    }
    void files(const std::string& content, const std::string& stock, const std::string& alien) {
        make_folders(content);
        write_file(content + "\\" + stock, "stock");
        write_file(content + "\\" + alien, "alien");
    }
};

std::string escaped(const std::string& path) {
    std::string out;
    for (char ch : path) {
        if (ch == '\\') out += '\\';
        out += ch;
    }
    return out;
}

struct Rig {
    test::RecordingApp app;
    test::RecordingShell shell;
    test::FixedClock clock;
    win32::Win32FileSystem fs;
    test::EmptyRegistry registry;
    win32::Win32GameFinder games;
    forms::Application forms;
    Program program{Platform{fs, registry, shell, clock, app, forms, games}};
    Context& ctx = program.context();

    forms::Control& ctl(const std::string& name, int index = forms::no_index) {
        return ctx.frmMain.ctl(name, index);
    }
    void clean_moves(const std::string& content, const std::string& stock,
                     const std::string& alien) {
        REQUIRE(ctl("List1").items() == std::vector<std::string>{alien});
        ctl("cmdClean").user_click();
        CHECK(read_file(content + "\\061226140509\\" + alien) == "alien");
        CHECK_FALSE(exists(content + "\\" + alien));
        CHECK(exists(content + "\\" + stock));
        CHECK(ctl("lblStatusBar").caption() ==
              "Alien files moved to: " + content + "\\061226140509");
        CHECK(app.boxes.empty());
    }
};

}  // namespace

TEST_CASE("Steam's folder is normalised: backslashes, drive letter, case as on disk") {
    REQUIRE_MESSAGE(registered_steam_path() == steam_path_value,
                    "SteamPath is not the test's: run win32_tests through ctest, whose fixture "
                    "steam_path_setup writes it");
    SteamTree tree;
    CHECK(win32::normalise_steam_path(steam_path_value) == steam);
    CHECK(win32::normalise_steam_path("c:/PAKSCOUR-steam-test/steam/missing/Sub") ==
          steam + "\\missing\\Sub");
    CHECK(win32::normalise_steam_path("relative/x") == "relative\\x");
}

TEST_CASE("Steam libraries under Wine: both layouts, a second library, then a clean") {
    REQUIRE(registered_steam_path() == steam_path_value);
    const char* layouts[] = {"new", "old"};
    for (const std::string layout : layouts) {
        CAPTURE(layout);
        SteamTree tree;
        write_file(
            steam + "\\steamapps\\libraryfolders.vdf",
            layout == "new"
                ? "\"libraryfolders\"\n{\n\t\"0\"\n\t{\n\t\t\"path\"\t\t\"" +
                      escaped("c:\\pakscour-steam-test\\steam") +
                      "\"\n\t}\n\t\"1\"\n\t{\n\t\t\"path\"\t\t\"" + escaped(library2) +
                      "\"\n\t\t\"apps\"\n\t\t{\n\t\t\t\"2620\"\t\t\"1\"\n\t\t}\n\t}\n}\n"
                : "\"LibraryFolders\"\n{\n\t\"TimeNextStatsReport\"\t\t\"1\"\n\t\"1\"\t\t\"" +
                      escaped(library2) + "\"\n}\n");
        const std::string cod = tree.app(library2, "2620", "Call of Duty");
        const std::string uo = tree.app(library2, "2640", "Call of Duty United Offensive");
        const std::string cod2 = tree.app(steam, "2630", "Call of Duty 2");
        tree.files(cod + "\\Main", "pak0.pk3", "mod.pk3");
        tree.files(uo + "\\uo", "pakuo06_lowres.pk3", "uo_mod.pk3");
        write_file(uo + "\\uo\\uomappack1.pk3", "map pack");
        tree.files(cod2 + "\\main", "iw_00.iwd", "extra.iwd");

        Rig rig;
        rig.forms.show(rig.ctx.frmMain);
        CHECK(rig.ctl("lblCodPath").caption() == cod);
        CHECK(rig.ctl("lblUOPath").caption() == uo);
        CHECK(rig.ctl("lblCod2Path").caption() == cod2);
        for (int i = 0; i < 3; ++i) {
            CHECK(rig.ctl("lblInstalled", i).caption() == "Installed");
            CHECK(rig.ctl("lblVer", i).caption().empty());
        }
        CHECK(rig.ctx.frmMain.menu("mnuOptionsUOMapPack").enabled());
        rig.clean_moves(cod + "\\Main", "pak0.pk3", "mod.pk3");
        rig.ctl("chkCleanUo").user_click();
        rig.clean_moves(uo + "\\uo", "pakuo06_lowres.pk3", "uo_mod.pk3");
        CHECK(exists(uo + "\\uo\\uomappack1.pk3"));
        rig.ctl("chkCleanCod2").user_click();
        rig.clean_moves(cod2 + "\\main", "iw_00.iwd", "extra.iwd");
    }
}

TEST_CASE("bad Steam files are skipped; the other libraries still count") {
    REQUIRE(registered_steam_path() == steam_path_value);
    SteamTree tree;
    write_file(steam + "\\steamapps\\libraryfolders.vdf",
               "libraryfolders { 1 \"" + escaped(library2) + "\" }");
    // Steam's own library: a malformed manifest, one that is a folder, a huge one.
    write_file(steam + "\\steamapps\\appmanifest_2620.acf", "\"AppState\" { \"installdir\" ");
    make_folder(steam + "\\steamapps\\appmanifest_2630.acf");
    write_file(
        steam + "\\steamapps\\appmanifest_2640.acf",
        "\"AppState\" { \"installdir\" \"Huge\" }\n//" + std::string(win32::max_text_file, 'x'));
    const std::string cod = tree.app(library2, "2620", "CoD");
    const std::string cod2 = tree.app(library2, "2630", "CoD2");
    const std::string uo = tree.app(library2, "2640", "UO");
    tree.files(cod + "\\Main", "pak0.pk3", "mod.pk3");

    win32::Win32GameFinder finder;
    CHECK(finder.find({"", "2620"})->folder == cod);
    CHECK(finder.find({"", "2630"})->folder == cod2);
    CHECK(finder.find({"", "2640"})->folder == uo);
    CHECK_FALSE(finder.find({"", "2650"}));

    // A library list that is a folder: Steam's own library is still searched.
    DeleteFileW(widen(steam + "\\steamapps\\libraryfolders.vdf").c_str());
    make_folder(steam + "\\steamapps\\libraryfolders.vdf");
    CHECK_FALSE(finder.find({"", "2620"}));
    const std::string own = tree.app(steam, "2620", "Own");
    CHECK(finder.find({"", "2620"})->folder == own);
}

}  // namespace pakscour
