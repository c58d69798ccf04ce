// A ten-file clean whose every file-system operation in turn fails with every kind of failure,
// in one batch and in batches smaller than the clean: the report names the Clean procedure, the
// number and the usual description, no file is ever lost, and no copy of a file that stays
// untouched is left behind, however often the clean is tried again.
#include <doctest/doctest.h>

#include <algorithm>
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

// Where one operation of a clean that runs without faults stands: the files the clean has
// put into the list before it (in list order), the file it concerns, and, for a commit, the
// files of its batch.
struct Step {
    std::string op;
    std::vector<std::string> before;
    std::string file;
    std::vector<std::string> batch;
};

// The operations of a fault-free clean with these batch limits, one step each.
std::vector<Step> steps_of(const MoveBatch& batch) {
    FakePrefix prefix(memory_folder());
    fill(prefix);
    const posix::WinePrefix wine(prefix.root());
    posix::PosixFileSystem real(wine);
    FaultyFileSystem logging(real, wine, -1, 0);
    FixedClock clock;
    CleanRig rig(logging, clock);
    rig.program.context().move_batch = batch;
    REQUIRE(rig.clean());
    std::vector<Step> steps;
    std::vector<std::string> order;  // files in the order they were staged
    std::vector<std::string> staged;
    for (const std::string& entry : logging.log) {
        Step s;
        s.op = entry.substr(0, entry.find(' '));
        if (s.op == "stage") {
            s.file = base_name(entry);
            order.push_back(s.file);
            staged.push_back(s.file);
        } else if (s.op == "commit") {
            s.batch = std::exchange(staged, {});
        } else if (s.op == "delete") {
            s.file = base_name(entry);
        }
        s.before = order;
        steps.push_back(std::move(s));
    }
    return steps;
}

TEST_CASE("a failing folder creation, copy, commit or delete loses no file") {
    const std::int32_t kinds[] = {err::disk_full, err::permission_denied, err::file_not_found,
                                  err::file_exists, err::device_io};
    // One batch for the ten files; batches of three; one file each; batches cut by size.
    const MoveBatch batches[] = {
        {}, {3, std::uint64_t{1} << 30}, {1, std::uint64_t{1} << 30}, {512, 9000}};
    for (const MoveBatch& batch : batches) {
        CAPTURE(batch.files);
        CAPTURE(batch.bytes);
        const std::vector<Step> steps = steps_of(batch);
        REQUIRE(std::count_if(steps.begin(), steps.end(),
                              [](const Step& s) { return s.op == "delete"; }) == file_count);
        for (int fail_at = 0; fail_at < static_cast<int>(steps.size()); ++fail_at) {
            const Step& step = steps[static_cast<std::size_t>(fail_at)];
            for (std::int32_t kind : kinds) {
                if (kind == err::file_exists && step.op == "delete") continue;
                CAPTURE(fail_at);
                CAPTURE(step.op);
                CAPTURE(kind);
                FakePrefix prefix(memory_folder());
                fill(prefix);
                const posix::WinePrefix wine(prefix.root());
                posix::PosixFileSystem real(wine);
                FaultyFileSystem faulty(real, wine, fail_at, kind);
                FixedClock clock;
                CleanRig rig(faulty, clock);
                rig.program.context().move_batch = batch;

                CHECK_FALSE(rig.clean());
                REQUIRE(rig.app.boxes.size() == 1);
                // The whole report, whose description is the error's usual one alone.
                CHECK(rig.app.boxes[0].text ==
                      "An error has occurred in frmMain (cmdClean_Click)\r\n\r\nError number:  " +
                          std::to_string(kind) +
                          "\r\nError description: " + error_description(kind));
                CHECK(rig.app.boxes[0].title == "Error in Pakscour V2.1");
                // The item concerned: the source or the target of a copy, the first copy of a
                // batch whose flush failed, the original whose delete failed.
                const std::string& item = faulty.failed_item;
                REQUIRE_FALSE(item.empty());

                // The file the failure stops at, and those moved before it. A name taken
                // before the commit stops the batch at the copy that was to bear it; a flush
                // that fails, at the batch's first copy.
                std::set<std::string> moved(step.before.begin(), step.before.end());
                std::string stopped_at = step.file;
                if (step.op == "stage") moved.erase(step.file);
                if (step.op == "commit") {
                    const std::size_t first_unnamed =
                        kind == err::file_exists ? step.batch.size() / 2 : 0;
                    stopped_at = step.batch[first_unnamed];
                    for (std::size_t i = first_unnamed; i < step.batch.size(); ++i)
                        moved.erase(step.batch[i]);
                }
                if (step.op == "delete") {
                    // The deleting goes in staging order: the failing file and those after it
                    // in its batch keep their originals.
                    const auto at = std::find(step.before.begin(), step.before.end(), step.file);
                    for (auto later = at; later != step.before.end(); ++later) moved.erase(*later);
                }
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
    FakePrefix prefix(memory_folder());
    fill(prefix);
    const posix::WinePrefix wine(prefix.root());
    posix::PosixFileSystem real(wine);
    FaultyFileSystem faulty(real, wine, -1, 0);
    faulty.refused = {file_name(3), file_name(7)};
    FixedClock clock;
    CleanRig rig(faulty, clock);
    rig.program.context().move_batch = {4, std::uint64_t{1} << 30};
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

}  // namespace
}  // namespace pakscour::test
