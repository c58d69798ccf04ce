// Game folders no installer registered, on Windows: folders named on the command line (names in
// any case, relative or with a trailing backslash, missing or without a game) and the folders
// around the program, asked after the Steam libraries.
#include <windows.h>

#include <doctest/doctest.h>

#include <string>
#include <vector>

#include "platform/win32/win32_game_finder.h"
#include "registry/frm_main_load.h"
#include "temp_folder.h"

namespace pakscour {

using test::make_folders;
using test::write_file;

TEST_CASE("Win32: folders on the command line and beside the program") {
    test::TempFolder tmp;
    const std::string copied = tmp / "Copied CoD";
    make_folders(copied + "\\main");
    write_file(copied + "\\main\\PAK0.PK3", "stock");
    make_folders(copied + "\\UO");
    write_file(copied + "\\UO\\pakuo00.pk3", "stock");
    const std::string empty = tmp / "No game";
    make_folders(empty + "\\Main");
    write_file(empty + "\\Main\\pak1.pk3", "not the first archive");
    // The program in a folder inside a Call of Duty 2 folder.
    make_folders(tmp / "main");
    write_file(tmp / "main\\IW_00.IWD", "stock");
    make_folders(tmp / "tools");

    win32::Win32GameFinder finder(
        {empty, copied + "\\", tmp / "missing", copied + "\\main", copied + "\\main\\PAK0.PK3"},
        {tmp / "tools", tmp.path()});
    CHECK(finder.named({key_cod, steam_app_cod})->folder == copied);
    CHECK(finder.named({key_cod, steam_app_cod})->version.empty());
    CHECK(finder.named({key_uo, steam_app_uo})->folder == copied);
    CHECK_FALSE(finder.named({key_cod2, steam_app_cod2}));
    const auto rejected = finder.rejected_folders();
    REQUIRE(rejected.size() == 4);
    CHECK(rejected[0].folder == empty);
    CHECK(rejected[0].problem == FolderProblem::no_game);
    CHECK(rejected[1].folder == tmp / "missing");
    CHECK(rejected[1].problem == FolderProblem::missing);
    CHECK(rejected[2].folder == copied + "\\main");
    CHECK(rejected[2].problem == FolderProblem::no_game);
    CHECK(rejected[3].problem == FolderProblem::not_folder);

    // Beside the program: the parent holds Call of Duty 2, nothing holds Call of Duty there.
    CHECK(finder.find({key_cod2, "1"})->folder == tmp.path());
    CHECK_FALSE(finder.find({key_cod, "1"}));

    CHECK(win32::full_folder_path("C:\\a\\..\\b\\\\") == "C:\\b");
    CHECK(win32::full_folder_path("C:\\") == "C:\\");
    const auto around = win32::program_folders();
    REQUIRE(around.size() == 2);
    CHECK(around[1] + "\\" == around[0].substr(0, around[1].size() + 1));
}

}  // namespace pakscour
