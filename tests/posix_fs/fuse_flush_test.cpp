// A clean of files on a FUSE file system, through the logging pass-through: every copy's data
// reaches the file system's program (FSYNC) and the backup folder's entries too (FSYNCDIR)
// before the original of that copy is unlinked, since a flush of the whole file system
// (syncfs) never reaches a FUSE program. And an original replaced at the last moment, between
// the check that it is still the file copied and its unlink, is kept, as is the file that took
// its name meanwhile.
#include <doctest/doctest.h>

#include <map>
#include <set>
#include <sstream>

#include "clean_rig.h"
#include "fake_prefix.h"
#include "fuse_mount.h"
#include "platform/posix/posix_file_system.h"

namespace pakscour::test {
namespace {

std::string parent_of(const std::string& path) {
    return path.substr(0, path.find_last_of('/'));
}

std::string name_of(const std::string& path) {
    return path.substr(path.find_last_of('/') + 1);
}

TEST_SUITE("fuse") {
    TEST_CASE("on FUSE every copy is flushed before its original is unlinked") {
        if (!fuse_usable_or_skip()) return;
        FakePrefix base(memory_folder());
        fs::create_directory(base.root() / "backing");
        LogFsMount mount(base.root() / "backing", base.root() / "mount", base.root() / "log");
        REQUIRE(mount.mounted());
        constexpr int file_count = 40;
        std::string content;
        {
            FakePrefix prefix(base.root() / "mount");
            for (int i = 0; i < file_count; ++i)
                prefix.file("Games/CoD/Main/mod" + std::to_string(i) + ".pk3",
                            test_bytes(100 + 3000 * static_cast<std::size_t>(i), i));
            posix::PosixFileSystem fs{posix::WinePrefix(prefix.root())};
            FixedClock clock;
            CleanRig rig(fs, clock);
            // Several batches, so that originals of one go while copies of the next are made.
            rig.program.context().move_batch = {16, std::uint64_t{1} << 30};
            REQUIRE(rig.clean());
            for (int i = 0; i < file_count; ++i)
                CHECK(
                    holds(prefix.c("Games/CoD/Main/061226140509/mod" + std::to_string(i) + ".pk3"),
                          test_bytes(100 + 3000 * static_cast<std::size_t>(i), i)));
            content = "/" + prefix.root().filename().string() + "/drive_c/Games/CoD/Main";
        }
        const std::vector<std::string> log = mount.log();
        mount.unmount();
        const std::string backup = content + "/061226140509";

        std::set<std::string> flushed;               // files whose data was flushed
        std::map<std::string, std::size_t> named;    // copy -> line where it took its name
        std::map<std::string, std::string> leaving;  // hidden name -> original it was
        std::size_t backup_flushed = 0;              // line after the last FSYNCDIR of it
        std::map<std::string, int> counts;
        int originals = 0;
        for (std::size_t i = 0; i < log.size(); ++i) {
            std::istringstream line(log[i]);
            std::string op, a, b;
            line >> op >> a >> b;
            ++counts[op];
            if (op == "FSYNC") flushed.insert(a);
            if (op == "FSYNCDIR" && a == backup) backup_flushed = i + 1;
            if (op == "RENAME") {
                if (flushed.count(a) != 0) flushed.insert(b);
                if (parent_of(b) == backup) named[b] = i;
                if (parent_of(a) == content && name_of(b)[0] == '.') leaving[b] = a;
            }
            if (op != "UNLINK") continue;
            const std::string original = leaving.count(a) != 0 ? leaving[a] : a;
            if (parent_of(original) != content) continue;
            CAPTURE(original);
            ++originals;
            const std::string copy = backup + "/" + name_of(original);
            CHECK(flushed.count(copy) == 1);
            REQUIRE(named.count(copy) == 1);
            CHECK(backup_flushed > named[copy]);
        }
        CHECK(originals == file_count);
        MESSAGE("FUSE log: " << counts["FSYNC"] << " FSYNC, " << counts["FSYNCDIR"] << " FSYNCDIR, "
                             << counts["RENAME"] << " RENAME, " << counts["UNLINK"] << " UNLINK; "
                             << originals
                             << " originals unlinked, each after its copy was flushed");
    }

    TEST_CASE("on FUSE an original replaced while it is being deleted is kept, with its rival") {
        if (!fuse_usable_or_skip()) return;
        FakePrefix base(memory_folder());
        fs::create_directory(base.root() / "backing");
        LogFsMount mount(base.root() / "backing", base.root() / "mount", base.root() / "log", true);
        REQUIRE(mount.mounted());
        FakePrefix prefix(base.root() / "mount");
        prefix.file("Games/CoD/Main/mod.pk3", "original");
        posix::PosixFileSystem fs{posix::WinePrefix(prefix.root())};
        FixedClock clock;
        CleanRig rig(fs, clock);
        REQUIRE(rig.clean());
        const fs::path content = prefix.c("Games/CoD/Main");
        // The copy and the original, each whole; the file renamed in the original's place
        // back under a free name beside it; the one that took the name meanwhile untouched.
        CHECK(holds(content / "061226140509/mod.pk3", "original"));
        CHECK(holds(content / "mod.pk3.aside", "original"));
        CHECK(holds(content / "mod (2).pk3", "meddled 1"));
        CHECK(holds(content / "mod.pk3", "meddled 2"));
        for (const auto& e : fs::directory_iterator(content))
            CHECK(e.path().filename().string().rfind(".pakscour-", 0) != 0);
    }
}

}  // namespace
}  // namespace pakscour::test
