// Cleans over the real Linux file system: names that differ only in case are two files and
// both move, whether renamed or copied; a move a kill left between its two names is finished,
// not made again; a clean of more than the drive's free space succeeds; and the cost of a
// clean grows with its files, not with their square.
#include <doctest/doctest.h>

#include <sys/mount.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <linux/magic.h>
#include <algorithm>
#include <chrono>
#include <cstdlib>

#include "clean_rig.h"
#include "fake_prefix.h"
#include "faulty_file_system.h"
#include "platform/posix/posix_file_system.h"

namespace pakscour::test {
namespace {

TEST_CASE("names that differ only in case are two files, and one clean moves both") {
    const std::vector<std::string> names = {"a.pk3",   "Mod.pk3",          "b.pk3",
                                            "mod.pk3", "\xC3\xA9_map.pk3", "\xC3\x89_MAP.pk3"};
    for (const bool copy_only : {false, true}) {
        CAPTURE(copy_only);
        FakePrefix prefix(memory_folder());
        for (const std::string& name : names)
            prefix.file("Games/CoD/Main/" + name, "bytes of " + name);
        const posix::WinePrefix wine(prefix.root());
        posix::PosixFileSystem real(wine);
        FaultyFileSystem fs(real, wine, -1, 0);
        fs.copy_only = copy_only;
        FixedClock clock;
        CleanRig rig(fs, clock);
        CHECK(rig.clean());
        CHECK(rig.app.boxes.empty());
        const fs::path content = prefix.c("Games/CoD/Main");
        for (const std::string& name : names) {
            CAPTURE(name);
            CHECK(holds(content / "061226140509" / name, "bytes of " + name));
            CHECK_FALSE(fs::exists(content / name));
        }
    }
}

TEST_CASE("a move a kill left under two names is finished by the next clean, not made again") {
    FakePrefix prefix(memory_folder());
    const fs::path content = prefix.c("Games/CoD/Main");
    for (const char* name : {"mod.pk3", "new.pk3", "shared.pk3"})
        prefix.file(std::string("Games/CoD/Main/") + name, name);
    // mod.pk3 is also in an earlier backup folder, as a kill between the link and the removal
    // of the old name leaves it; shared.pk3 has a second name elsewhere, which is no backup.
    prefix.file("Games/CoD/Main/010126120000/old.pk3", "old");
    fs::create_hard_link(content / "mod.pk3", content / "010126120000/mod.pk3");
    fs::create_directories(prefix.c("Elsewhere"));
    fs::create_hard_link(content / "shared.pk3", prefix.c("Elsewhere/shared.pk3"));
    posix::PosixFileSystem fs{posix::WinePrefix(prefix.root())};
    FixedClock clock;
    CleanRig rig(fs, clock);
    CHECK(rig.clean());
    CHECK(rig.ctl("lblStatusBar").caption() ==
          "Alien files moved to: C:\\Games\\CoD\\Main\\061226140509");
    CHECK_FALSE(fs::exists(content / "mod.pk3"));
    CHECK(holds(content / "010126120000/mod.pk3", "mod.pk3"));
    CHECK(fs::hard_link_count(content / "010126120000/mod.pk3") == 1);
    CHECK_FALSE(fs::exists(content / "061226140509/mod.pk3"));
    CHECK(holds(content / "061226140509/new.pk3", "new.pk3"));
    CHECK(holds(content / "061226140509/shared.pk3", "shared.pk3"));
    CHECK(holds(prefix.c("Elsewhere/shared.pk3"), "shared.pk3"));
}

TEST_CASE("a clean of more than the drive's free space succeeds") {
    if (::geteuid() != 0) {
        MESSAGE("not root, so no small drive can be mounted: not checked");
        if (std::getenv("CI") != nullptr) FAIL("a CI machine runs the tests as root");
        return;
    }
    FakePrefix base(memory_folder());
    const fs::path drive = base.root() / "small";
    fs::create_directory(drive);
    REQUIRE(::mount("tmpfs", drive.c_str(), "tmpfs", 0, "size=24m") == 0);
    {
        FakePrefix prefix(drive);
        // One file larger than the free space would take, so that not even a copy of that
        // file alone fits.
        constexpr int count = 12;
        auto bytes = [](int i) {
            return test_bytes(i == 0 ? std::size_t{8} << 20 : std::size_t{1} << 20,
                              static_cast<unsigned>(i));
        };
        for (int i = 0; i < count; ++i)
            prefix.file("Games/CoD/Main/mod_" + std::to_string(i) + ".pk3", bytes(i));
        struct statfs st;
        REQUIRE(::statfs(drive.c_str(), &st) == 0);
        const auto free_bytes = static_cast<std::uint64_t>(st.f_bavail) * st.f_bsize;
        CAPTURE(free_bytes);
        REQUIRE(free_bytes < bytes(0).size());
        posix::PosixFileSystem fs{posix::WinePrefix(prefix.root())};
        FixedClock clock;
        CleanRig rig(fs, clock);
        CHECK(rig.clean());
        for (int i = 0; i < count; ++i)
            CHECK(holds(prefix.c("Games/CoD/Main/061226140509/mod_" + std::to_string(i) + ".pk3"),
                        bytes(i)));
    }
    ::umount2(drive.c_str(), MNT_DETACH);
}

// Seconds the clean of `count` small files takes, the best of `tries`.
double clean_seconds(int count, int tries) {
    double best = 1e9;
    for (int t = 0; t < tries; ++t) {
        FakePrefix prefix(memory_folder());
        for (int i = 0; i < count; ++i)
            prefix.file("Games/CoD/Main/mod_" + std::to_string(i) + ".pk3", "small");
        posix::PosixFileSystem fs{posix::WinePrefix(prefix.root())};
        FixedClock clock;
        CleanRig rig(fs, clock);
        rig.program.context().frmMain.ctl("chkCleanCod").set_value(1);
        const auto start = std::chrono::steady_clock::now();
        frmMain::cmdClean_Click(rig.program.context());
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        REQUIRE(rig.app.boxes.empty());
        REQUIRE(readdir_order(prefix.c("Games/CoD/Main/061226140509")).size() ==
                static_cast<std::size_t>(count) + 2);
        best = std::min(best, took.count());
    }
    return best;
}

bool in_memory(const fs::path& folder) {
    struct statfs st;
    return ::statfs(folder.c_str(), &st) == 0 && st.f_type == TMPFS_MAGIC;
}

TEST_CASE("eight times the files cost about eight times the time, not sixty-four") {
    const double small = clean_seconds(1000, 3);
    const double large = clean_seconds(8000, 2);
    MESSAGE("clean of 1000 files: " << small << " s, of 8000 files: " << large << " s");
    // A generous bound for any disk, and on a memory file system, where no flush blurs the
    // picture, a check of the growth: a cost growing with the square would take 64 times.
    CHECK(large < 60.0);
    if (in_memory(memory_folder()))
        CHECK(large < 16 * small);
    else
        MESSAGE("not a memory file system: the growth is not checked");
}

}  // namespace
}  // namespace pakscour::test
