// A move deletes exactly the file it copied, whatever another program did to the content folder
// meanwhile, and works in folders deeper than 260 characters and on names Windows would take for
// devices.
#include <doctest/doctest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "clean_rig.h"
#include "platform/runtime_error.h"
#include "platform/win32/long_path.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_file_system.h"
#include "temp_folder.h"

namespace pakscour {

using test::TempFolder;
using win32::Win32FileSystem;

namespace {

// A file held open by another program that shares reading but not deleting, as a game holds
// the archives it has loaded.
struct Held {
    explicit Held(const std::string& path)
        : h(CreateFileW(win32::extended_path(win32::widen(path)).c_str(), GENERIC_READ,
                        FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr)) {
        REQUIRE(h != INVALID_HANDLE_VALUE);
    }
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;
    ~Held() { CloseHandle(h); }
    HANDLE h;
};

void rename(const std::string& from, const std::string& to) {
    REQUIRE(MoveFileExW(win32::extended_path(win32::widen(from)).c_str(),
                        win32::extended_path(win32::widen(to)).c_str(), 0));
}

// The plain files of a folder, hidden ones included.
std::vector<std::string> files_in(const std::string& folder) {
    std::vector<std::string> out;
    WIN32_FIND_DATAW d;
    HANDLE h = FindFirstFileW((win32::extended_path(win32::widen(folder)) + L"\\*").c_str(), &d);
    if (h == INVALID_HANDLE_VALUE) return out;
    do {
        if (!(d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            out.push_back(win32::narrow(d.cFileName));
    } while (FindNextFileW(h, &d));
    FindClose(h);
    std::sort(out.begin(), out.end());
    return out;
}

}  // namespace

TEST_CASE("the extended-length form of a path keeps every name exactly") {
    struct Row {
        const wchar_t* path;
        const wchar_t* extended;
    };
    const Row rows[] = {
        {L"C:\\Games\\CoD\\Main\\x.pk3", L"\\\\?\\C:\\Games\\CoD\\Main\\x.pk3"},
        {L"C:\\Games\\CoD\\\\Main\\", L"\\\\?\\C:\\Games\\CoD\\Main"},
        {L"c:/Games/./CoD/../Main/CON.pk3", L"\\\\?\\c:\\Games\\Main\\CON.pk3"},
        {L"C:\\Main\\name.pk3.", L"\\\\?\\C:\\Main\\name.pk3."},
        {L"C:\\Main\\nul.iwd ", L"\\\\?\\C:\\Main\\nul.iwd "},
        {L"C:\\", L"\\\\?\\C:\\"},
        {L"C:\\..\\x", L"\\\\?\\C:\\x"},
        {L"\\\\server\\share\\Games\\x.pk3", L"\\\\?\\UNC\\server\\share\\Games\\x.pk3"},
        {L"\\\\?\\C:\\already", L"\\\\?\\C:\\already"},
    };
    for (const Row& r : rows) {
        CAPTURE(win32::narrow(r.path));
        CHECK(win32::extended_path(r.path) == r.extended);
    }
    CHECK(win32::folder_of(L"\\\\?\\C:\\x.pk3") == L"\\\\?\\C:\\");
    CHECK(win32::folder_of(L"\\\\?\\C:\\Main\\x.pk3") == L"\\\\?\\C:\\Main");
}

TEST_CASE("a delete removes exactly the file copied, a take-back exactly the copy named") {
    struct Row {
        const char* what;
        // What another program does between the copy and the delete (or the take-back) to the
        // file in `folder`: the original in the content folder (the copy in the backup folder).
        std::function<void(const std::string& folder, const std::string& side)> meanwhile;
        bool take_back;   // the copy is taken back instead of the original deleted
        bool deleted;     // the file is deleted
        const char* now;  // what the folder then holds as a file ("" when none)
    };
    const Row rows[] = {
        {"untouched", [](auto&, auto&) {}, false, true, ""},
        {"moved away", [](auto& m, auto& s) { rename(m + "\\mod.pk3", s + "\\mod.pk3"); }, false,
         false, ""},
        {"replaced by a new file of the same name",
         [](auto& m, auto& s) {
             rename(m + "\\mod.pk3", s + "\\mod.pk3");
             test::write_file(m + "\\mod.pk3", "the new one");
         },
         false, false, "the new one"},
        {"moved away, with a case twin left in the folder",
         [](auto& m, auto& s) {
             rename(m + "\\mod.pk3", s + "\\mod.pk3");
             test::write_file(m + "\\MOD.PK3", "the twin");
         },
         false, false, "the twin"},
        {"replaced by a folder",
         [](auto& m, auto& s) {
             rename(m + "\\mod.pk3", s + "\\mod.pk3");
             test::make_folder(m + "\\mod.pk3");
         },
         false, false, ""},
        {"written again in place",
         [](auto& m, auto&) { test::write_file(m + "\\mod.pk3", "original, and more"); }, false,
         false, "original, and more"},
        {"made read-only",
         [](auto& m, auto&) { test::set_attributes(m + "\\mod.pk3", FILE_ATTRIBUTE_READONLY); },
         false, true, ""},
        {"copy untouched", [](auto&, auto&) {}, true, true, ""},
        {"copy replaced by a download of the same name",
         [](auto& b, auto& s) {
             rename(b + "\\mod.pk3", s + "\\mod.pk3");
             test::write_file(b + "\\mod.pk3", "a download");
         },
         true, false, "a download"},
        {"copy written again in place",
         [](auto& b, auto&) { test::write_file(b + "\\mod.pk3", "original, and more"); }, true,
         false, "original, and more"},
        {"copy moved away", [](auto& b, auto& s) { rename(b + "\\mod.pk3", s + "\\mod.pk3"); },
         true, false, ""},
    };
    for (const Row& r : rows) {
        CAPTURE(r.what);
        TempFolder t;
        const std::string main = t / "Main", side = t / "side", backup = t / "Main\\backup";
        test::make_folder(main);
        test::make_folder(side);
        test::make_folder(backup);
        test::write_file(main + "\\mod.pk3", "original");
        Win32FileSystem fs;
        fs.stage_copy(main + "\\mod.pk3", backup + "\\mod.pk3");
        RuntimeError failure;
        const std::vector<CommittedCopy> copies = fs.commit_copies(failure);
        REQUIRE(copies.size() == 1);
        const std::string& changed = r.take_back ? backup : main;
        const std::string& kept = r.take_back ? main : backup;
        r.meanwhile(changed, side);
        CHECK((r.take_back ? fs.remove_copy(copies[0]) : fs.delete_original(copies[0])) ==
              r.deleted);
        CHECK(test::read_file(kept + "\\mod.pk3") == "original");
        if (*r.now == '\0') {
            CHECK(files_in(changed).empty());
        } else {
            const std::vector<std::string> files = files_in(changed);
            REQUIRE(files.size() == 1);
            CHECK(test::read_file(changed + "\\" + files[0]) == r.now);
        }
    }
}

TEST_CASE("a refused delete raises and leaves the original as it was; the copy is taken back") {
    TempFolder t;
    test::make_folder(t / "backup");
    test::write_file(t / "ro.pk3", "read-only archive");
    test::set_attributes(t / "ro.pk3", FILE_ATTRIBUTE_READONLY);
    Win32FileSystem fs;
    fs.stage_copy(t / "ro.pk3", t / "backup\\ro.pk3");
    RuntimeError failure;
    const std::vector<CommittedCopy> copies = fs.commit_copies(failure);
    REQUIRE(copies.size() == 1);
    CHECK(copies[0].windows_source == t / "ro.pk3");
    CHECK(copies[0].windows_copy == t / "backup\\ro.pk3");
    CHECK((test::attributes(t / "backup\\ro.pk3") & FILE_ATTRIBUTE_READONLY) != 0);
    {
        Held held(t / "ro.pk3");
        std::int32_t number = 0;
        try {
            fs.delete_original(copies[0]);
        } catch (const RuntimeError& e) {
            number = e.number;
        }
        CHECK(number == err::path_file_access);
    }
    CHECK(test::read_file(t / "ro.pk3") == "read-only archive");
    CHECK((test::attributes(t / "ro.pk3") & FILE_ATTRIBUTE_READONLY) != 0);
    CHECK(fs.remove_copy(copies[0]));
    CHECK(files_in(t / "backup").empty());
    CHECK(files_in(t.path()) == std::vector<std::string>{"ro.pk3"});
}

TEST_CASE("a clean in a folder deeper than 260 characters moves names Windows keeps for devices") {
    TempFolder t;
    std::string install = t.path();
    while (install.size() < 300) install += "\\a_folder_name_of_forty_characters_______";
    const std::string main = install + "\\Main";
    test::make_folders(main);
    const std::vector<std::string> names = {"CON.pk3", "aux.pk3", "com1.pk3", "nul.pk3",
                                            "zz_mod.pk3"};
    for (const std::string& name : names)
        test::write_file(main + "\\" + name, "content of " + name);

    Win32FileSystem fs;
    test::CleanRig rig(fs, install);
    REQUIRE(rig.clean());
    CHECK(rig.app.boxes.empty());
    const std::string backup = main + "\\061226140509";
    CHECK(rig.ctl("lblStatusBar").caption() == "Alien files moved to: " + backup);
    CHECK(files_in(main).empty());
    REQUIRE(files_in(backup).size() == names.size());
    for (const std::string& name : names) {
        CAPTURE(name);
        CHECK(test::read_file(backup + "\\" + name) == "content of " + name);
    }
}

TEST_CASE("a name ending in a dot is its own file, not the one without the dot") {
    TempFolder t;
    test::make_folder(t / "backup");
    test::write_file(t / "mod.pk3", "without the dot");
    test::write_file(t / "mod.pk3.", "with the dot");
    REQUIRE(test::read_file(t / "mod.pk3.") == "with the dot");
    Win32FileSystem fs;
    fs.stage_copy(t / "mod.pk3.", t / "backup\\mod.pk3.");
    RuntimeError failure;
    const std::vector<CommittedCopy> copies = fs.commit_copies(failure);
    REQUIRE(copies.size() == 1);
    CHECK(fs.delete_original(copies[0]));
    CHECK(files_in(t.path()) == std::vector<std::string>{"mod.pk3"});
    CHECK(test::read_file(t / "mod.pk3") == "without the dot");
    CHECK(files_in(t / "backup") == std::vector<std::string>{"mod.pk3."});
    CHECK(test::read_file(t / "backup\\mod.pk3.") == "with the dot");
}

}  // namespace pakscour
