// Putting a backup back over the real Linux file system in a prefix: the window opened from
// the File menu, then Restore, as the window's procedures run them.
#include <doctest/doctest.h>

#include <map>

#include "engine/clean.h"
#include "engine/restore.h"
#include "platform/runtime_error.h"
#include "prefix_rig.h"
#include "ui/dialogs/frm_restore.h"

using namespace pakscour;
using namespace pakscour::test;

namespace {

const std::string stamp = "061226140509";

struct RestoreRig {
    RestoreRig() : rig(prefix) { prepare_main_window(rig.program, "C:\\Games\\CoD", "", ""); }

    fs::path main_folder() const { return prefix.c("Games/CoD/Main"); }
    fs::path backup() const { return main_folder() / stamp; }
    // Every file of the Main folder (not below it) by name, with its bytes.
    std::map<std::string, std::string> files() const {
        std::map<std::string, std::string> out;
        for (const auto& e : fs::directory_iterator(main_folder()))
            if (e.is_regular_file()) out[e.path().filename()] = read_file(e.path());
        return out;
    }
    void clean() {
        rig.ctl("chkCleanCod").set_value(1);
        rig.ctl("cmdClean").user_click();
    }
    forms::Form& window() { return rig.ctx.frmRestore; }
    void open() {
        rig.main.menu("mnuFileRestore").user_click();
        REQUIRE(window().loaded());
    }

    TempPrefix prefix;
    PrefixRig rig;
};

}  // namespace

TEST_CASE("a clean, then a restore, gives the content folder back byte for byte") {
    RestoreRig r;
    const std::string big = test_bytes((std::size_t{3} << 20) + 17, 7);
    r.prefix.file("Games/CoD/Main/pak0.pk3", "stock");
    r.prefix.file("Games/CoD/Main/zz_big.pk3", big);
    r.prefix.file("Games/CoD/Main/empty.pk3", "");
    for (unsigned i = 0; i < 40; ++i)
        r.prefix.file("Games/CoD/Main/mod_" + std::to_string(i) + ".pk3", test_bytes(i * 97, i));
    r.prefix.file("Games/CoD/Main/screenshots/shot.jpg", "a folder of the game");
    const auto before = r.files();

    CHECK_FALSE(r.rig.main.menu("mnuFileRestore").enabled());
    r.clean();
    REQUIRE(r.files().size() == 1);
    CHECK(r.rig.main.menu("mnuFileRestore").enabled());

    r.open();
    forms::Control& list = r.window().ctl("lstBackups");
    REQUIRE(list.list_count() == 1);
    CHECK(list.list_index() == 0);
    CHECK(list.item(0) == ("6 Dec 2026 14:05:09  -  42 files, 3.1 MB"));
    CHECK(r.window().ctl("cmdRestore").enabled());
    CHECK_FALSE(r.window().ctl("lblNone").visible());
    CHECK(r.window().ctl("lblGame").caption() == "Call of Duty: C:\\Games\\CoD\\Main");

    r.window().ctl("cmdRestore").user_click();
    CHECK_FALSE(r.window().loaded());
    CHECK(r.files() == before);
    CHECK_FALSE(fs::exists(r.backup()));
    CHECK(read_file(r.main_folder() / "screenshots/shot.jpg") == "a folder of the game");
    CHECK(r.rig.ctl("List1").list_count() == 42);
    CHECK(r.rig.ctl("cmdClean").enabled());
    CHECK(r.rig.ctl("lblStatusBar").caption() ==
          "42 files moved back from: C:\\Games\\CoD\\Main\\" + stamp);
    CHECK_FALSE(r.rig.ctx.state.backup_made);
    CHECK(r.rig.app.boxes.empty());
}

TEST_CASE("a name taken again in the content folder stays in the backup, untouched") {
    RestoreRig r;
    for (const char* name : {"a.pk3", "b.pk3", "c.pk3", "\u00e9_mod.pk3"})
        r.prefix.file(std::string("Games/CoD/Main/") + name, std::string("old ") + name);
    r.clean();
    // The game downloaded b.pk3 and é_mod.pk3 again (under another case, ASCII or not), and
    // a folder took c.pk3's name.
    r.prefix.file("Games/CoD/Main/B.PK3", "downloaded again");
    r.prefix.file("Games/CoD/Main/\u00c9_MOD.pk3", "downloaded again");
    fs::create_directories(r.main_folder() / "c.pk3");
    r.prefix.file("Games/CoD/Main/" + stamp + "/.hidden", "stays");
    r.prefix.file("Games/CoD/Main/" + stamp + "/sub/x.pk3", "stays");

    r.open();
    r.window().ctl("cmdRestore").user_click();
    CHECK(read_file(r.main_folder() / "a.pk3") == "old a.pk3");
    CHECK(read_file(r.main_folder() / "B.PK3") == "downloaded again");
    CHECK_FALSE(fs::exists(r.main_folder() / "b.pk3"));
    CHECK(read_file(r.backup() / "b.pk3") == "old b.pk3");
    CHECK(read_file(r.backup() / "c.pk3") == "old c.pk3");
    CHECK(read_file(r.backup() / "\u00e9_mod.pk3") == "old \u00e9_mod.pk3");
    CHECK(read_file(r.main_folder() / "\u00c9_MOD.pk3") == "downloaded again");
    CHECK(fs::is_directory(r.main_folder() / "c.pk3"));
    CHECK(read_file(r.backup() / ".hidden") == "stays");
    CHECK(read_file(r.backup() / "sub/x.pk3") == "stays");
    CHECK_FALSE(fs::exists(r.main_folder() / ".hidden"));
    CHECK(r.rig.ctl("lblStatusBar").caption() == "1 file moved back from: C:\\Games\\CoD\\Main\\" +
                                                     stamp +
                                                     "; 3 stayed there, their names already taken");
    // The folder is still there, and the status line opens it.
    CHECK(r.rig.ctx.state.backup_made);
    CHECK(r.rig.ctx.state.backup_path == "C:\\Games\\CoD\\Main\\" + stamp);
}

TEST_CASE("backup folders newest first; other folders are no backups") {
    RestoreRig r;
    struct Folder {
        const char* name;
        bool backup;
    };
    const Folder folders[] = {
        {"010125000000", true},  {"311226235959", true},   {"290224120000", true},
        {"070126090807", true},  {"290223120000", false},  {"311126000000", false},
        {"999999999999", false}, {"0612261405090", false}, {"06122614050a", false},
        {"000126000000", false}, {"011326000000", false},  {"010126240000", false},
    };
    for (const Folder& f : folders)
        r.prefix.file(std::string("Games/CoD/Main/") + f.name + "/x.pk3", "12345");
    r.prefix.file("Games/CoD/Main/311225235959", "a file, not a folder");
    r.prefix.file("Games/CoD/Main/010125000000/y.pk3", std::string(2048, 'y'));
    r.rig.ctl("chkCleanCod").set_value(1);
    r.open();
    CHECK(r.window().ctl("lstBackups").items() ==
          std::vector<std::string>{"31 Dec 2026 23:59:59  -  1 file, 5 bytes",
                                   "7 Jan 2026 09:08:07  -  1 file, 5 bytes",
                                   "1 Jan 2025 00:00:00  -  2 files, 2.0 KB",
                                   "29 Feb 2024 12:00:00  -  1 file, 5 bytes"});
    CHECK(r.window().ctl("lstBackups").list_index() == 0);

    // The user picks the third; Cancel leaves everything where it is.
    r.window().ctl("lstBackups").set_list_index(2);
    r.window().ctl("cmdCancel").user_click();
    CHECK_FALSE(r.window().loaded());
    CHECK(fs::exists(r.main_folder() / "010125000000/y.pk3"));

    // Restore moves the chosen one only.
    r.open();
    r.window().ctl("lstBackups").set_list_index(2);
    r.window().ctl("cmdRestore").user_click();
    CHECK(read_file(r.main_folder() / "y.pk3") == std::string(2048, 'y'));
    CHECK(read_file(r.main_folder() / "x.pk3") == "12345");
    CHECK_FALSE(fs::exists(r.main_folder() / "010125000000"));
    CHECK(fs::exists(r.main_folder() / "311226235959/x.pk3"));
}

TEST_CASE("without a backup folder the list is empty and says so") {
    RestoreRig r;
    r.prefix.file("Games/CoD/Main/pak0.pk3", "stock");
    r.rig.ctl("chkCleanCod").set_value(1);
    r.open();
    CHECK(r.window().ctl("lstBackups").list_count() == 0);
    CHECK(r.window().ctl("lblNone").visible());
    CHECK(r.window().ctl("lblNone").caption() == frmRestore::none_text);
    CHECK_FALSE(r.window().ctl("cmdRestore").enabled());
    r.window().ctl("cmdRestore").user_click();
    CHECK(r.window().loaded());
}

TEST_CASE("a content folder that cannot be read is said so, and the program goes on") {
    RestoreRig r;
    r.prefix.file("Games/CoD/Main/pak0.pk3", "stock");
    r.rig.ctl("chkCleanCod").set_value(1);
    // The folder gives way to a file after the scan: it cannot be listed (not a folder).
    fs::remove_all(r.main_folder());
    r.prefix.file("Games/CoD/Main", "a file now");
    r.rig.main.menu("mnuFileRestore").user_click();
    CHECK_FALSE(r.window().loaded());
    REQUIRE(r.rig.app.boxes.size() == 1);
    CHECK(r.rig.app.boxes[0].text ==
          "This game folder cannot be read, so its backup folders cannot be listed:\r\r"
          "C:\\Games\\CoD\\Main");
    CHECK(r.rig.main.loaded());
}

TEST_CASE("a backup folder that cannot be listed is shown as such, and the others still are") {
    RestoreRig r;
    // Root reads any folder, so the failure comes from the file system layer itself.
    struct Unlistable : posix::PosixFileSystem {
        using PosixFileSystem::PosixFileSystem;
        std::vector<FolderEntry> list_folder(const std::string& folder) override {
            if (folder.ends_with("010125000000")) raise_error(err::permission_denied, folder);
            return PosixFileSystem::list_folder(folder);
        }
    } fs{r.rig.wine};
    r.prefix.file("Games/CoD/Main/010125000000/x.pk3", "12345");
    r.prefix.file("Games/CoD/Main/020125000000/y.pk3", "12345");
    const auto found = find_backups(fs, "C:\\Games\\CoD\\Main");
    REQUIRE(found.size() == 2);
    CHECK(backup_entry_text(found[0]) == "2 Jan 2025 00:00:00  -  1 file, 5 bytes");
    CHECK(backup_entry_text(found[1]) == "1 Jan 2025 00:00:00  -  cannot be read");
    CHECK_FALSE(found[1].readable);
}
