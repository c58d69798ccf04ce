// A ten-file clean whose every file-system operation in turn fails with every kind of failure,
// with each file renamed and with each file copied: the report names the Clean procedure, the
// number and the usual description, no file is ever lost, and no copy of a file that stays
// untouched is left behind. And a link put in the place of the new backup folder is never
// followed.
#include <doctest/doctest.h>

#include <algorithm>
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

TEST_CASE("a failing folder creation, move or copy loses no file") {
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
                // The item concerned: the source or the target of a move or copy.
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

TEST_CASE("a link put in the new backup folder's place is never followed") {
    // Another program removes the backup folder just made and puts a link to a folder outside
    // the game's in its place; the files are renamed, or copied.
    for (const bool copy_only : {false, true}) {
        CAPTURE(copy_only);
        FaultyClean t(copy_only);
        const fs::path content = t.prefix.c("Games/CoD/Main");
        const fs::path outside = t.prefix.c("Outside");
        fs::create_directories(outside);
        t.faulty.after = [&](const std::string& op, const std::string&) {
            if (op != "create") return;
            fs::remove(t.prefix.c(backup_rel));
            fs::create_directory_symlink(outside, t.prefix.c(backup_rel));
        };
        CHECK_FALSE(t.rig.clean());
        REQUIRE(t.rig.app.boxes.size() == 1);
        CHECK(t.rig.app.boxes[0].text.find("Error number:  76\r\n") != std::string::npos);
        CHECK(fs::is_empty(outside));
        for (int i = 0; i < file_count; ++i) CHECK(holds(content / file_name(i), file_bytes(i)));
    }
}

}  // namespace
}  // namespace pakscour::test
