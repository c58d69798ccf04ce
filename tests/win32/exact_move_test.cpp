// Exactness: the exact removal takes only the file meant, whatever another program did to the
// folder meanwhile; a link put in place of a backup folder is never followed.
#include <doctest/doctest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "clean_rig.h"
#include "platform/runtime_error.h"
#include "platform/win32/exact_files.h"
#include "platform/win32/long_path.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_file_system.h"
#include "temp_folder.h"

namespace pakscour {

using test::files_in;
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

}  // namespace

FileIdentity identity(const std::string& path) {
    FileIdentity who;
    REQUIRE(win32::identity_at(win32::extended_path(win32::widen(path)), who));
    return who;
}

bool remove_exactly(const std::string& path, const FileIdentity& who) {
    return win32::remove_exactly(win32::extended_path(win32::widen(path)), who, false, path);
}

TEST_CASE("the exact removal removes only the file meant") {
    struct Row {
        const char* what;
        // What another program does to the file in `folder` between the look at who it is and
        // its removal; `side` is a folder beside.
        std::function<void(const std::string& folder, const std::string& side)> meanwhile;
        bool removed;
        const char* now;  // what the folder then holds as a file ("" when none)
    };
    const Row rows[] = {
        {"untouched", [](auto&, auto&) {}, true, ""},
        {"moved away", [](auto& m, auto& s) { rename(m + "\\mod.pk3", s + "\\mod.pk3"); }, false,
         ""},
        {"replaced by a new file of the same name",
         [](auto& m, auto& s) {
             rename(m + "\\mod.pk3", s + "\\mod.pk3");
             test::write_file(m + "\\mod.pk3", "the new one");
         },
         false, "the new one"},
        {"moved away, with a case twin left in the folder",
         [](auto& m, auto& s) {
             rename(m + "\\mod.pk3", s + "\\mod.pk3");
             test::write_file(m + "\\MOD.PK3", "the twin");
         },
         false, "the twin"},
        {"replaced by a folder",
         [](auto& m, auto& s) {
             rename(m + "\\mod.pk3", s + "\\mod.pk3");
             test::make_folder(m + "\\mod.pk3");
         },
         false, ""},
        {"written again in place",
         [](auto& m, auto&) { test::write_file(m + "\\mod.pk3", "original, and more"); }, false,
         "original, and more"},
        {"made read-only",
         [](auto& m, auto&) { test::set_attributes(m + "\\mod.pk3", FILE_ATTRIBUTE_READONLY); },
         true, ""},
    };
    for (const Row& r : rows) {
        CAPTURE(r.what);
        TempFolder t;
        const std::string main = t / "Main", side = t / "side";
        test::make_folder(main);
        test::make_folder(side);
        test::write_file(main + "\\mod.pk3", "original");
        const FileIdentity who = identity(main + "\\mod.pk3");
        r.meanwhile(main, side);
        CHECK(remove_exactly(main + "\\mod.pk3", who) == r.removed);
        if (*r.now == '\0') {
            CHECK(files_in(main).empty());
        } else {
            const std::vector<std::string> files = files_in(main);
            REQUIRE(files.size() == 1);
            CHECK(test::read_file(main + "\\" + files[0]) == r.now);
        }
    }
}

TEST_CASE("a refused removal raises and leaves the file as it was, under its name") {
    TempFolder t;
    test::write_file(t / "ro.pk3", "read-only archive");
    test::set_attributes(t / "ro.pk3", FILE_ATTRIBUTE_READONLY);
    const FileIdentity who = identity(t / "ro.pk3");
    {
        Held held(t / "ro.pk3");
        std::int32_t number = 0;
        try {
            remove_exactly(t / "ro.pk3", who);
        } catch (const RuntimeError& e) {
            number = e.number;
        }
        CHECK(number == err::path_file_access);
    }
    CHECK(files_in(t.path()) == std::vector<std::string>{"ro.pk3"});
    CHECK(test::read_file(t / "ro.pk3") == "read-only archive");
    CHECK((test::attributes(t / "ro.pk3") & FILE_ATTRIBUTE_READONLY) != 0);
}

TEST_CASE("a second name goes only while the file has another one and is still the file meant") {
    TempFolder t;
    test::make_folder(t / "backup");
    test::write_file(t / "backup\\mod.pk3", "the archive");
    REQUIRE(CreateHardLinkW(win32::widen(t / "mod.pk3").c_str(),
                            win32::widen(t / "backup\\mod.pk3").c_str(), nullptr));
    test::write_file(t / "alone.pk3", "one name");
    const FileIdentity who = identity(t / "mod.pk3");
    Win32FileSystem fs;
    CHECK_FALSE(fs.remove_second_name(t / "alone.pk3", identity(t / "alone.pk3")));
    CHECK_FALSE(fs.remove_second_name(t / "mod.pk3", identity(t / "alone.pk3")));
    CHECK_FALSE(fs.remove_second_name(t / "gone.pk3", who));
    CHECK(fs.remove_second_name(t / "mod.pk3", who));
    CHECK(files_in(t.path()) == std::vector<std::string>{"alone.pk3"});
    CHECK(test::read_file(t / "backup\\mod.pk3") == "the archive");
    // Its last name is not a second one.
    CHECK_FALSE(fs.remove_second_name(t / "backup\\mod.pk3", identity(t / "backup\\mod.pk3")));
    CHECK(files_in(t / "backup") == std::vector<std::string>{"mod.pk3"});
}

TEST_CASE("a name ending in a dot is its own file, not the one without the dot") {
    TempFolder t;
    test::make_folder(t / "backup");
    test::write_file(t / "mod.pk3", "without the dot");
    test::write_file(t / "mod.pk3.", "with the dot");
    REQUIRE(test::read_file(t / "mod.pk3.") == "with the dot");
    Win32FileSystem fs;
    CHECK(fs.copy_file(t / "mod.pk3.", t / "backup\\mod.pk3.") == Copied::moved);
    CHECK(files_in(t.path()) == std::vector<std::string>{"mod.pk3"});
    CHECK(test::read_file(t / "mod.pk3") == "without the dot");
    CHECK(files_in(t / "backup") == std::vector<std::string>{"mod.pk3."});
    CHECK(test::read_file(t / "backup\\mod.pk3.") == "with the dot");
}

TEST_CASE("a link put in place of a backup folder is never followed") {
    // Puts a link to `outside` in place of each folder it makes, right after making it.
    struct Linking : Win32FileSystem {
        explicit Linking(std::string to) : outside(std::move(to)) {}
        unsigned long make_folder(const std::wstring& path) override {
            const unsigned long e = Win32FileSystem::make_folder(path);
            if (e == ERROR_SUCCESS) REQUIRE(test::host_link(win32::narrow(path), outside));
            return e;
        }
        std::string outside;
    };
    enum class When { made, before_the_moves, restored };
    for (const When when : {When::made, When::before_the_moves, When::restored}) {
        CAPTURE(static_cast<int>(when));
        TempFolder t, elsewhere;
        const std::string main = t / "Main", backup = main + "\\061226140509";
        test::make_folder(main);
        if (when == When::restored) test::make_folder(backup);
        test::write_file(elsewhere / "mod_1.pk3", "a document of the player's");
        for (const char* name : {"mod_1.pk3", "mod_2.pk3"})
            test::write_file((when == When::restored ? backup : main) + "\\" + name, name);
        Linking linking(elsewhere.path());
        Win32FileSystem plain;
        Win32FileSystem& fs = when == When::made ? linking : plain;
        std::int32_t number = 0;
        try {
            if (when == When::restored) {
                REQUIRE(test::host_link(backup, elsewhere.path()));
                fs.move_file(backup + "\\mod_1.pk3", main + "\\mod_1.pk3");
            } else {
                fs.create_folder(backup);
                if (when == When::before_the_moves)
                    REQUIRE(test::host_link(backup, elsewhere.path()));
                for (const char* name : {"mod_1.pk3", "mod_2.pk3"})
                    fs.move_file(main + "\\" + name, backup + "\\" + name);
            }
        } catch (const RuntimeError& e) {
            number = e.number;
        }
        fs.flush_moves();
        CHECK(number == err::permission_denied);
        // Nothing went through the link, either way.
        CHECK(files_in(elsewhere.path()) == std::vector<std::string>{"mod_1.pk3"});
        CHECK(test::read_file(elsewhere / "mod_1.pk3") == "a document of the player's");
        if (when != When::restored)
            CHECK(files_in(main) == std::vector<std::string>{"mod_1.pk3", "mod_2.pk3"});
        else
            CHECK(files_in(main).empty());
    }
}

}  // namespace pakscour
