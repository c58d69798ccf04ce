// The VirtualStore as the games see it: the program over the real Win32 file system, with Call
// of Duty installed below Program Files and archives that Windows redirected into the user's
// VirtualStore. Wine redirects nothing itself, so files placed in the prefix's VirtualStore
// folder reach exactly the code that finds them on Windows.
#include <doctest/doctest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "clean_rig.h"
#include "platform/win32/virtual_store.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_file_system.h"
#include "temp_folder.h"

namespace pakscour {

using win32::VirtualStore;
using win32::Win32FileSystem;

namespace {

const std::string program_files = "C:\\Program Files (x86)";
const std::string game = program_files + "\\Activision\\Call of Duty";
const std::string stamp = "061226140509";

std::string local_app_data() {
    wchar_t buffer[MAX_PATH];
    const DWORD n = GetEnvironmentVariableW(L"LOCALAPPDATA", buffer, MAX_PATH);
    REQUIRE((n > 0 && n < MAX_PATH));
    return win32::narrow(std::wstring(buffer, n));
}

// Call of Duty's Main folder below Program Files and its VirtualStore copy, made for the test
// and removed afterwards. It refuses to touch an install that is already there.
struct Install {
    explicit Install(bool real_main = true) {
        REQUIRE_FALSE(test::exists(program_files + "\\Activision"));
        REQUIRE_FALSE(test::exists(store_activision));
        test::make_folders(real_main ? real : game);
        test::make_folders(store);
    }
    ~Install() {
        test::remove_tree(program_files + "\\Activision");
        test::remove_tree(store_activision);
    }
    std::string store_activision =
        local_app_data() + "\\VirtualStore\\Program Files (x86)\\Activision";
    std::string real = game + "\\Main";
    std::string store = store_activision + "\\Call of Duty\\Main";
};

std::vector<std::string> sorted(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    return names;
}

// Refuses to make folders below one folder, as Windows refuses a user who is not an
// administrator below Program Files; Wine lets everyone write everywhere.
class RefusingFileSystem : public Win32FileSystem {
  public:
    explicit RefusingFileSystem(const std::string& refused) : refused_(win32::widen(refused)) {}

  protected:
    unsigned long make_folder(const std::wstring& path) override {
        if (path.size() > refused_.size() &&
            CompareStringOrdinal(path.data(), static_cast<int>(refused_.size()), refused_.data(),
                                 static_cast<int>(refused_.size()), TRUE) == CSTR_EQUAL)
            return ERROR_ACCESS_DENIED;
        return Win32FileSystem::make_folder(path);
    }
    unsigned long probe_writable(const std::wstring& folder) override {
        if (refuses(folder)) return ERROR_ACCESS_DENIED;
        return Win32FileSystem::probe_writable(folder);
    }
    bool refuses(const std::wstring& path) const {
        return path.size() > refused_.size() &&
               CompareStringOrdinal(path.data(), static_cast<int>(refused_.size()), refused_.data(),
                                    static_cast<int>(refused_.size()), TRUE) == CSTR_EQUAL;
    }

  private:
    std::wstring refused_;
};

// Counts the copies made: a move by rename makes none.
struct Copying : Win32FileSystem {
    Copied copy_file(const std::string& from, const std::string& to) override {
        ++copied;
        return Win32FileSystem::copy_file(from, to);
    }
    int copied = 0;
};

}  // namespace

TEST_CASE("the VirtualStore copy of a path below a protected folder") {
    const VirtualStore store({L"C:\\Program Files", L"C:\\Program Files (x86)\\", L"C:/Windows",
                              L"relative\\folder", L"\\\\server\\share"},
                             L"C:\\Users\\me\\AppData\\Local\\VirtualStore");
    struct Row {
        const wchar_t* path;
        const wchar_t* copy;  // empty: not protected
    };
    const Row rows[] = {
        {L"C:\\Program Files (x86)\\Activision\\Call of Duty\\Main",
         L"C:\\Users\\me\\AppData\\Local\\VirtualStore\\Program Files (x86)\\Activision\\Call of "
         L"Duty\\Main"},
        {L"c:\\PROGRAM FILES\\Game\\main\\x.pk3",
         L"C:\\Users\\me\\AppData\\Local\\VirtualStore\\PROGRAM FILES\\Game\\main\\x.pk3"},
        {L"C:/Program Files/Game",
         L"C:\\Users\\me\\AppData\\Local\\VirtualStore\\Program Files\\Game"},
        {L"C:\\Program Files", L"C:\\Users\\me\\AppData\\Local\\VirtualStore\\Program Files"},
        {L"C:\\Windows\\x", L"C:\\Users\\me\\AppData\\Local\\VirtualStore\\Windows\\x"},
        {L"C:\\Program Filesx\\Game", L""},
        {L"C:\\Program", L""},
        {L"D:\\Program Files\\Game", L""},
        {L"C:\\Games\\CoD\\Main", L""},
        {L"relative\\folder\\x", L""},
        {L"\\\\server\\share\\x", L""},
        {L"", L""},
    };
    for (const Row& r : rows) {
        CAPTURE(win32::narrow(r.path));
        CHECK(store.copy_of(r.path) == r.copy);
    }
    CHECK(VirtualStore({L"C:\\Program Files"}, L"").copy_of(L"C:\\Program Files\\x").empty());
}

TEST_CASE("archives only in the VirtualStore are listed, moved byte for byte and shown") {
    Install install;
    test::write_file(install.real + "\\pak0.pk3", "stock");
    test::write_file(install.store + "\\pak1.pk3", "stock, patched");
    const std::string big(70000, 'z');
    test::write_file(install.store + "\\zz_alien.pk3", big);
    test::write_file(install.store + "\\mod_fun.pk3", "");

    Win32FileSystem fs;
    test::CleanRig rig(fs, game);
    rig.tick_cod();
    CHECK(sorted(rig.ctl("List1").items()) ==
          std::vector<std::string>{"mod_fun.pk3", "zz_alien.pk3"});
    REQUIRE(rig.clean());
    CHECK(rig.app.boxes.empty());

    // Wine lets the user write below Program Files, so the backup folder is in the real one.
    const std::string backup = install.real + "\\" + stamp;
    CHECK(test::read_file(backup + "\\zz_alien.pk3") == big);
    CHECK(test::read_file(backup + "\\mod_fun.pk3").empty());
    CHECK_FALSE(test::exists(install.store + "\\zz_alien.pk3"));
    CHECK_FALSE(test::exists(install.store + "\\mod_fun.pk3"));
    CHECK(test::read_file(install.store + "\\pak1.pk3") == "stock, patched");
    CHECK(test::read_file(install.real + "\\pak0.pk3") == "stock");

    CHECK(rig.ctl("lblStatusBar").caption() == "Alien files moved to: " + backup);
    CHECK(rig.program.context().state.backup_path == backup);
    rig.ctl("lblStatusBar").raise_click();
    REQUIRE(rig.shell.calls.size() == 1);
    CHECK(rig.shell.calls[0].file == backup);
    CHECK(rig.shell.calls[0].verb == std::optional<std::string>("explore"));
}

TEST_CASE("a name in both folders is listed once and moved from the VirtualStore") {
    Install install;
    test::write_file(install.real + "\\same.pk3", "real");
    test::write_file(install.store + "\\SAME.PK3", "virtual");
    // A hidden VirtualStore file hides the real one of the same name too, as the game sees it.
    test::write_file(install.real + "\\shadow.pk3", "real");
    test::write_file(install.store + "\\shadow.pk3", "hidden");
    test::set_attributes(install.store + "\\shadow.pk3", FILE_ATTRIBUTE_HIDDEN);
    test::write_file(install.real + "\\only_real.pk3", "real");
    test::write_file(install.store + "\\only_virtual.pk3", "virtual");

    Win32FileSystem fs;
    test::CleanRig rig(fs, game);
    rig.tick_cod();
    CHECK(sorted(rig.ctl("List1").items()) ==
          std::vector<std::string>{"SAME.PK3", "only_real.pk3", "only_virtual.pk3"});
    REQUIRE(rig.clean());
    CHECK(rig.app.boxes.empty());

    const std::string backup = install.real + "\\" + stamp;
    CHECK(test::read_file(backup + "\\SAME.PK3") == "virtual");
    CHECK(test::read_file(backup + "\\only_real.pk3") == "real");
    CHECK(test::read_file(backup + "\\only_virtual.pk3") == "virtual");
    CHECK_FALSE(test::exists(install.store + "\\SAME.PK3"));
    CHECK_FALSE(test::exists(install.real + "\\only_real.pk3"));
    CHECK_FALSE(test::exists(install.store + "\\only_virtual.pk3"));
    // The real file the VirtualStore hid is untouched, and the game now sees it.
    CHECK(test::read_file(install.real + "\\same.pk3") == "real");
    CHECK(test::read_file(install.real + "\\shadow.pk3") == "real");
    CHECK(test::exists(install.store + "\\shadow.pk3"));
    std::vector<std::string> now;
    for (std::string n = fs.find_first(install.real + "\\*.pk3"); !n.empty(); n = fs.find_next())
        now.push_back(n);
    CHECK(now == std::vector<std::string>{"same.pk3"});
}

TEST_CASE("where the real content folder cannot take the backup folder, the VirtualStore does") {
    struct Row {
        const char* what;
        bool refused;    // making folders below Program Files is refused
        bool real_main;  // the real Main folder exists
    };
    const Row rows[] = {{"refused", true, true}, {"no real Main folder", false, false}};
    for (const Row& r : rows) {
        CAPTURE(r.what);
        Install install(r.real_main);
        test::write_file(install.store + "\\alien.pk3", "virtual");
        test::write_file(install.store + "\\ro.pk3", "read-only");
        test::set_attributes(install.store + "\\ro.pk3", FILE_ATTRIBUTE_READONLY);
        RefusingFileSystem fs(r.refused ? program_files : "Q:\\nowhere");
        test::CleanRig rig(fs, game);
        REQUIRE(rig.clean());
        CHECK(rig.app.boxes.empty());

        const std::string backup = install.store + "\\" + stamp;
        CHECK(test::read_file(backup + "\\alien.pk3") == "virtual");
        CHECK(test::read_file(backup + "\\ro.pk3") == "read-only");
        CHECK((test::attributes(backup + "\\ro.pk3") & FILE_ATTRIBUTE_READONLY) != 0);
        CHECK_FALSE(test::exists(install.store + "\\alien.pk3"));
        CHECK_FALSE(test::exists(install.store + "\\ro.pk3"));
        CHECK_FALSE(test::exists(install.real + "\\" + stamp));
        CHECK(rig.ctl("lblStatusBar").caption() == "Alien files moved to: " + backup);
        CHECK(rig.program.context().state.backup_path == backup);
    }
}

TEST_CASE("refused with no VirtualStore copy of the folder: nothing is made and nothing moves") {
    Install install;
    test::remove_tree(install.store);
    test::write_file(install.real + "\\alien.pk3", "real");
    RefusingFileSystem fs(program_files);
    test::CleanRig rig(fs, game);
    CHECK_FALSE(rig.clean());
    REQUIRE(rig.app.boxes.size() == 1);
    CHECK(rig.app.boxes[0].text.find("Error number:  70") != std::string::npos);
    CHECK(test::read_file(install.real + "\\alien.pk3") == "real");
    CHECK_FALSE(test::exists(install.store));
    CHECK_FALSE(test::exists(install.real + "\\" + stamp));
}

TEST_CASE("a file held open stays where it is, with no copy of it, nor an older backup's touched") {
    // An earlier clean in the same second (or in the hour repeated when daylight saving ends)
    // left a backup folder of the same stamp in the VirtualStore.
    Install install;
    const std::string older = install.store + "\\" + stamp;
    test::make_folder(older);
    for (const char* name : {"a.pk3", "b.pk3"}) {
        test::write_file(install.real + "\\" + name, std::string("now ") + name);
        test::write_file(older + "\\" + name, std::string("older ") + name);
    }
    // The game holds both open, sharing reads but not deletes.
    std::vector<HANDLE> held;
    for (const char* name : {"a.pk3", "b.pk3"}) {
        held.push_back(CreateFileW(win32::widen(install.real + "\\" + name).c_str(), GENERIC_READ,
                                   FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        REQUIRE(held.back() != INVALID_HANDLE_VALUE);
    }
    Copying fs;
    test::FixedClock clock;
    // Cleaned again and again while the game holds them: each file stays in one place.
    for (const char* time : {"14:05:09", "14:05:10"}) {
        CAPTURE(time);
        clock.time = time;
        test::CleanRig rig(fs, clock, game);
        CHECK_FALSE(rig.clean());
        REQUIRE(rig.app.boxes.size() == 1);
        CHECK(rig.app.boxes[0].text.find("Error number:  75") != std::string::npos);
        const std::string backup =
            install.real + "\\061226" + std::string(time).erase(5, 1).erase(2, 1);
        CHECK(test::exists(backup));
        for (const char* name : {"a.pk3", "b.pk3"}) {
            CAPTURE(name);
            CHECK_FALSE(test::exists(backup + "\\" + name));
            CHECK(test::read_file(install.real + "\\" + name) == std::string("now ") + name);
            CHECK(test::read_file(older + "\\" + name) == std::string("older ") + name);
        }
    }
    CHECK(fs.copied == 0);
    for (HANDLE h : held) CloseHandle(h);
    clock.time = "14:05:11";
    test::CleanRig rig(fs, clock, game);
    REQUIRE(rig.clean());
    for (const char* name : {"a.pk3", "b.pk3"}) {
        CAPTURE(name);
        CHECK_FALSE(test::exists(install.real + "\\" + name));
        CHECK(test::read_file(install.real + "\\061226140511\\" + name) ==
              std::string("now ") + name);
        CHECK(test::read_file(older + "\\" + name) == std::string("older ") + name);
    }
}

TEST_CASE("a backup put back goes where the games see it; a name taken again stays") {
    struct Row {
        const char* what;
        bool refused;  // writing below Program Files is refused
    };
    for (const Row& r : {Row{"writable", false}, Row{"refused", true}}) {
        CAPTURE(r.what);
        Install install;
        test::write_file(install.real + "\\pak0.pk3", "stock");
        test::write_file(install.store + "\\alien.pk3", "virtual");
        test::write_file(install.store + "\\ro.pk3", "read-only");
        test::set_attributes(install.store + "\\ro.pk3", FILE_ATTRIBUTE_READONLY);
        test::write_file(install.real + "\\clash.pk3", "old");
        const std::string accented = "\\\xC3\xA9_mod.pk3", twin = "\\\xC3\x89_MOD.PK3";
        test::write_file(install.real + accented, "old accented");
        RefusingFileSystem fs(r.refused ? program_files : "Q:\\nowhere");
        test::CleanRig rig(fs, game);
        REQUIRE(rig.clean());
        // Refused, the clean made its backup folder in the VirtualStore.
        const std::string backup = (r.refused ? install.store : install.real) + "\\" + stamp;
        REQUIRE(test::read_file(backup + "\\alien.pk3") == "virtual");
        // The game downloads clash.pk3 again, into the VirtualStore.
        test::write_file(install.store + "\\CLASH.PK3", "new");
        // And a name that differs only in a non-ASCII case, where the files go back to: Windows
        // folds it, and the file stays in the backup folder too.
        const std::string& into = r.refused ? install.store : install.real;
        test::write_file(into + twin, "new accented");

        REQUIRE(rig.restore());
        CHECK(rig.app.boxes.empty());
        CHECK(test::read_file(into + "\\alien.pk3") == "virtual");
        CHECK(test::read_file(into + "\\ro.pk3") == "read-only");
        CHECK(test::read_file(backup + "\\clash.pk3") == "old");
        CHECK(test::read_file(install.store + "\\CLASH.PK3") == "new");
        CHECK(test::read_file(backup + accented) == "old accented");
        CHECK(test::read_file(into + twin) == "new accented");
        CHECK_FALSE(test::exists(backup + "\\alien.pk3"));
        CHECK_FALSE(test::exists(backup + "\\ro.pk3"));
        CHECK(rig.ctl("lblStatusBar").caption() ==
              "2 files moved back from: " + backup + "; 2 stayed there, their names already taken");
        // Once the name is free again, the rest comes back and the folder goes.
        DeleteFileW(win32::widen(install.store + "\\CLASH.PK3").c_str());
        DeleteFileW(win32::widen(into + twin).c_str());
        REQUIRE(rig.restore());
        CHECK(test::read_file(into + "\\clash.pk3") == "old");
        CHECK(test::read_file(into + accented) == "old accented");
        CHECK_FALSE(test::exists(backup));
    }
}

TEST_CASE("backup folders of the real folder and of the VirtualStore are listed together") {
    Install install;
    for (const char* stamp_folder : {"050126100000", "061226140509"})
        test::make_folder(install.store + "\\" + stamp_folder);
    for (const char* stamp_folder : {"311226235959", "061226140509"})
        test::make_folder(install.real + "\\" + stamp_folder);
    test::write_file(install.store + "\\050126100000\\a.pk3", "vs");
    test::write_file(install.real + "\\311226235959\\b.pk3", "real!");
    test::write_file(install.real + "\\061226140509\\c.pk3", "c");
    test::write_file(install.store + "\\061226140509\\d.pk3", "dd");
    Win32FileSystem fs;
    test::CleanRig rig(fs, game);
    rig.tick_cod();
    forms::Form& main = rig.program.context().frmMain;
    main.menu("mnuFileRestore").user_click();
    forms::Form& window = rig.program.context().frmRestore;
    REQUIRE(window.loaded());
    // A folder in both places is one, as the games see it.
    CHECK(window.ctl("lstBackups").items() ==
          std::vector<std::string>{"31 Dec 2026 23:59:59  -  1 file, 5 bytes",
                                   "6 Dec 2026 14:05:09  -  2 files, 3 bytes",
                                   "5 Jan 2026 10:00:00  -  1 file, 2 bytes"});
    window.ctl("lstBackups").set_list_index(1);
    window.ctl("cmdRestore").user_click();
    CHECK(test::read_file(install.real + "\\c.pk3") == "c");
    CHECK(test::read_file(install.real + "\\d.pk3") == "dd");
    CHECK_FALSE(test::exists(install.real + "\\061226140509"));
    CHECK_FALSE(test::exists(install.store + "\\061226140509"));
    main.menu("mnuFileRestore").user_click();
    window.ctl("lstBackups").set_list_index(1);
    window.ctl("cmdRestore").user_click();
    CHECK(test::read_file(install.real + "\\a.pk3") == "vs");
    CHECK_FALSE(test::exists(install.store + "\\050126100000"));
    CHECK(rig.ctl("lblStatusBar").caption() ==
          "1 file moved back from: " + install.store + "\\050126100000");
}

}  // namespace pakscour
