// A ten-file clean whose every file-system operation in turn fails with every kind of failure,
// with each file renamed and with each file copied: the report names the Clean procedure, the
// number and the usual description, no file is ever lost, and no copy of a file that stays
// untouched is left behind, however often the clean is tried again.
#include <doctest/doctest.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <set>

#include "clean_rig.h"
#include "fake_prefix.h"
#include "faulty_file_system.h"
#include "platform/posix/posix_file_system.h"

namespace pakscour::test {
namespace {

constexpr int file_count = 10;
const char* const backup_rel = "Games/CoD/Main/061226140509";

std::string file_name(int i) {
    return "mod" + std::to_string(i) + ".pk3";
}

std::string file_bytes(int i) {
    return test_bytes(1000 + 997 * static_cast<std::size_t>(i), static_cast<unsigned>(i));
}

std::string base_name(const std::string& path) {
    return path.substr(path.find_last_of('\\') + 1);
}

void fill(const FakePrefix& prefix) {
    for (int i = 0; i < file_count; ++i)
        prefix.file("Games/CoD/Main/" + file_name(i), file_bytes(i));
    prefix.file("Games/CoD/Main/pak0.pk3", "stock");
}

// The ten files in a fresh prefix in memory, cleaned through a FaultyFileSystem over the real
// one that fails operation `fail_at` with `kind` and, with `copy_only`, copies every file.
struct FaultyClean {
    FaultyClean(bool copy_only, int fail_at = -1, std::int32_t kind = 0)
        : faulty(real, wine, fail_at, kind) {
        fill(prefix);
        faulty.copy_only = copy_only;
    }
    FakePrefix prefix{memory_folder()};
    posix::WinePrefix wine{prefix.root()};
    posix::PosixFileSystem real{wine};
    FaultyFileSystem faulty;
    FixedClock clock;
    CleanRig rig{faulty, clock};
};

// Where one operation of a clean that runs without faults stands: the files the clean has
// taken up before it and with it (in list order), and the file it concerns.
struct Step {
    std::string op;
    std::vector<std::string> before;
    std::string file;
};

// The operations of a fault-free clean that renames, or copies, each file, one step each.
std::vector<Step> steps_of(bool copy_only) {
    FaultyClean t(copy_only);
    REQUIRE(t.rig.clean());
    std::vector<Step> steps;
    std::vector<std::string> order;  // files in the order they were taken up
    for (const std::string& entry : t.faulty.log) {
        Step s;
        s.op = entry.substr(0, entry.find(' '));
        if (s.op == "move") order.push_back(base_name(entry));
        if (s.op != "create") s.file = order.back();
        s.before = order;
        steps.push_back(std::move(s));
    }
    return steps;
}

TEST_CASE("a failing folder creation, move, copy, commit or delete loses no file") {
    const std::int32_t kinds[] = {err::disk_full, err::permission_denied, err::file_not_found,
                                  err::file_exists, err::device_io};
    // Each file moved by a rename; each file copied, as across file systems.
    for (const bool copy_only : {false, true}) {
        CAPTURE(copy_only);
        const std::vector<Step> steps = steps_of(copy_only);
        REQUIRE(std::count_if(steps.begin(), steps.end(),
                              [](const Step& s) { return s.op == "move"; }) == file_count);
        for (int fail_at = 0; fail_at < static_cast<int>(steps.size()); ++fail_at) {
            const Step& step = steps[static_cast<std::size_t>(fail_at)];
            for (std::int32_t kind : kinds) {
                if (kind == err::file_exists && step.op == "delete") continue;
                CAPTURE(fail_at);
                CAPTURE(step.op);
                CAPTURE(kind);
                FaultyClean t(copy_only, fail_at, kind);
                const FakePrefix& prefix = t.prefix;
                CleanRig& rig = t.rig;

                CHECK_FALSE(rig.clean());
                REQUIRE(rig.app.boxes.size() == 1);
                // The whole report, whose description is the error's usual one alone.
                CHECK(rig.app.boxes[0].text ==
                      "An error has occurred in frmMain (cmdClean_Click)\r\n\r\nError number:  " +
                          std::to_string(kind) +
                          "\r\nError description: " + error_description(kind));
                CHECK(rig.app.boxes[0].title == "Error in Pakscour V2.1");
                // The item concerned: the source or the target of a move or copy, the copy
                // whose commit failed, the original whose delete failed.
                const std::string& item = t.faulty.failed_item;
                REQUIRE_FALSE(item.empty());

                // The file the failure stops at stays untouched, those before it are moved.
                std::set<std::string> moved(step.before.begin(), step.before.end());
                moved.erase(step.file);
                const std::string& stopped_at = step.file;
                if (step.op != "create") CHECK(base_name(item) == stopped_at);

                const fs::path content = prefix.c("Games/CoD/Main");
                const fs::path backup = prefix.c(backup_rel);
                for (int i = 0; i < file_count; ++i) {
                    const std::string name = file_name(i);
                    CAPTURE(name);
                    const bool in_content = holds(content / name, file_bytes(i));
                    const bool in_backup = holds(backup / name, file_bytes(i));
                    if (moved.count(name) != 0) {
                        CHECK((in_backup && !in_content));
                    } else {
                        CHECK((in_content && !in_backup));  // untouched
                    }
                }
                // The backup folder holds the moved files and whatever took a name first: not
                // the copy of a file whose delete failed, and no hidden copy.
                if (fs::is_directory(backup)) {
                    std::size_t expected =
                        moved.size() + (kind == err::file_exists && step.op != "create");
                    CHECK(readdir_order(backup).size() == expected + 2);  // with . and ..
                }
                CHECK(read_file(content / "pak0.pk3") == "stock");
            }
        }
    }
}

TEST_CASE("a delete refused on every clean leaves one file in one place, never a pile of copies") {
    FaultyClean t(true);
    t.faulty.refused = {file_name(3), file_name(7)};
    const FakePrefix& prefix = t.prefix;
    CleanRig& rig = t.rig;
    FixedClock& clock = t.clock;
    const fs::path content = prefix.c("Games/CoD/Main");
    // Each click meets the first refused file still there, in a backup folder of its own.
    for (const char* time : {"14:05:09", "14:05:10", "14:05:11"}) {
        CAPTURE(time);
        clock.time = time;
        rig.app.boxes.clear();
        CHECK_FALSE(rig.clean());
        REQUIRE(rig.app.boxes.size() == 1);
        CHECK(rig.app.boxes[0].text.find("Error number:  70\r\n") != std::string::npos);
    }
    // Every file is whole in exactly one place; the refused ones and those after them in the
    // failing batch never left the content folder.
    std::map<std::string, int> places;
    for (const auto& folder : fs::recursive_directory_iterator(content))
        if (folder.is_regular_file()) {
            const std::string name = folder.path().filename().string();
            CAPTURE(folder.path());
            CHECK(name[0] != '.');
            ++places[name];
        }
    for (int i = 0; i < file_count; ++i) {
        CAPTURE(file_name(i));
        CHECK(places[file_name(i)] == 1);
    }
    CHECK(holds(content / file_name(3), file_bytes(3)));
    CHECK(holds(content / file_name(7), file_bytes(7)));
}

TEST_CASE("another program at work between a copy and the delete of its original") {
    // What it does once the copy of mod4.pk3 is named, whether that delete is refused, and
    // what is then where, with the status line or the error number.
    struct Case {
        const char* what;
        bool refused;
        const char* original;  // the bytes left in the content folder ("" for none)
        const char* copy;      // the bytes left in the backup folder
        const char* status;    // the status line's end, or the error number
    };
    const Case cases[] = {
        // Only touched: the original is not deleted, the copy stays, and the status says so.
        {"touch", false, "mod4", "mod4",
         "; 1 stayed in the game folder too, changed by another program meanwhile"},
        // The copy replaced by a new download, then the delete refused: the download stays.
        {"replace copy", true, "mod4", "a new download", "70"},
    };
    for (const Case& c : cases) {
        CAPTURE(c.what);
        FaultyClean t(true);
        const FakePrefix& prefix = t.prefix;
        FaultyFileSystem& faulty = t.faulty;
        if (c.refused) faulty.refused = {file_name(4)};
        const fs::path content = prefix.c("Games/CoD/Main");
        const fs::path backup = prefix.c(backup_rel);
        faulty.after_commit = [&] {
            if (base_name(faulty.log.back()) != file_name(4)) return;
            if (std::string(c.what) == "touch") {
                fs::last_write_time(
                    content / file_name(4),
                    fs::last_write_time(content / file_name(4)) + std::chrono::seconds(5));
            } else {
                fs::remove(backup / file_name(4));
                prefix.file(std::string(backup_rel) + "/" + file_name(4), "a new download");
            }
        };
        CleanRig& rig = t.rig;
        const bool done = rig.clean();
        CHECK(done == !c.refused);
        const std::string bytes4 = file_bytes(4);
        auto bytes = [&](const char* what) { return std::string(what) == "mod4" ? bytes4 : what; };
        CHECK(holds(content / file_name(4), bytes(c.original)));
        CHECK(holds(backup / file_name(4), bytes(c.copy)));
        if (done) {
            CHECK(rig.ctl("lblStatusBar").caption() ==
                  "Alien files moved to: C:\\Games\\CoD\\Main\\061226140509" +
                      std::string(c.status));
        } else {
            REQUIRE(rig.app.boxes.size() == 1);
            CHECK(rig.app.boxes[0].text.find("Error number:  " + std::string(c.status) + "\r\n") !=
                  std::string::npos);
        }
    }
}

}  // namespace
}  // namespace pakscour::test
