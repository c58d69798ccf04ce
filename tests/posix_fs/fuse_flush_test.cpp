// A clean of files on a FUSE file system, through the logging pass-through: each file moves by
// one rename, or a link and an unlink where renames cannot refuse to replace, with the folders
// flushed before the first and after the last; where renames answer that the folders are on
// different file systems, every copy's data reaches the file system's program (FSYNC), again
// once named, and the backup folder's entries too (FSYNCDIR) before the original of that copy
// is unlinked, since a flush of the whole file system (syncfs) never reaches a FUSE program.
// The backup folder is flushed before the game folder, and on the copy path the game folder
// after the last original went. And another program at the worst moment: an original replaced
// between the check that it is still the file copied (or linked) and its removal is kept, as
// is the file that took its name meanwhile; a folder put in a file's place just before its
// rename does not stay moved.
#include <doctest/doctest.h>

#include <algorithm>
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
    TEST_CASE(
        "on FUSE each file moves by one rename, or a link, or a copy flushed before and after it "
        "is named") {
        if (!fuse_usable_or_skip()) return;
        // The file system's answer to a rename decides how the files move: one rename each;
        // without RENAME_NOREPLACE a link and an unlink; across file systems a copy.
        struct Case {
            const char* renames;
            const char* way;
        };
        for (const Case c : {Case{"", "rename"}, Case{"noflags", "link"}, Case{"exdev", "copy"}}) {
            CAPTURE(c.renames);
            FakePrefix base(memory_folder());
            fs::create_directory(base.root() / "backing");
            LogFsMount mount(base.root() / "backing", base.root() / "mount", base.root() / "log",
                             "", c.renames);
            REQUIRE(mount.mounted());
            constexpr int file_count = 40;
            auto bytes = [](int i) { return test_bytes(100 + 3000 * std::size_t(i), i); };
            auto name = [](int i) { return "mod" + std::to_string(i) + ".pk3"; };
            std::string content;
            {
                FakePrefix prefix(base.root() / "mount");
                for (int i = 0; i < file_count; ++i)
                    prefix.file("Games/CoD/Main/" + name(i), bytes(i));
                posix::PosixFileSystem fs{posix::WinePrefix(prefix.root())};
                FixedClock clock;
                CleanRig rig(fs, clock);
                REQUIRE(rig.clean());
                for (int i = 0; i < file_count; ++i) {
                    CHECK(holds(prefix.c("Games/CoD/Main/061226140509/" + name(i)), bytes(i)));
                    CHECK_FALSE(fs::exists(prefix.c("Games/CoD/Main/" + name(i))));
                }
                content = "/" + prefix.root().filename().string() + "/drive_c/Games/CoD/Main";
            }
            const std::vector<std::string> log = mount.log();
            mount.unmount();
            const std::string backup = content + "/061226140509";
            const bool copies = std::string(c.way) == "copy";

            std::set<std::string> flushed;               // named copies flushed since
            std::map<std::string, std::size_t> named;    // copy -> line where it took its name
            std::map<std::string, std::string> leaving;  // hidden name -> original it was
            // Lines after the last flush of each folder, and of the last move.
            std::size_t backup_flushed = 0, content_flushed = 0, last_move = 0, last_unlink = 0;
            bool flushed_before_moves = false;  // the backup folder's entry, before the first
            std::map<std::string, int> counts;
            int originals = 0, moved = 0;
            for (std::size_t i = 0; i < log.size(); ++i) {
                std::istringstream line(log[i]);
                std::string op, a, b;
                line >> op >> a >> b;
                ++counts[op];
                if (op == "FSYNC" && named.count(a) != 0) flushed.insert(a);
                if (op == "FSYNCDIR" && a == backup) backup_flushed = i + 1;
                if (op == "FSYNCDIR" && a == content) {
                    content_flushed = i + 1;
                    flushed_before_moves |= moved == 0;
                }
                if (op == "RENAME" || op == "LINK") {
                    if (parent_of(b) == backup) named[b] = i;
                    if (parent_of(a) == content && name_of(b)[0] == '.') leaving[b] = a;
                    if (parent_of(a) == content && parent_of(b) == backup) {
                        ++moved;
                        last_move = i;
                    }
                }
                if (op != "UNLINK") continue;
                const std::string original = leaving.count(a) != 0 ? leaving[a] : a;
                if (parent_of(original) != content) continue;
                CAPTURE(original);
                ++originals;
                last_unlink = i;
                const std::string copy = backup + "/" + name_of(original);
                REQUIRE(named.count(copy) == 1);
                // An original goes only once its copy is durable under its name.
                if (copies) CHECK(flushed.count(copy) == 1);
                if (copies) CHECK(backup_flushed > named[copy]);
            }
            CHECK(moved == (copies ? 0 : file_count));
            CHECK(originals == (std::string(c.way) == "rename" ? 0 : file_count));
            if (!copies) {
                // Nothing flushed but the folders: the backup folder's entry before the first
                // move, both folders after the last.
                CHECK(counts["FSYNC"] == 0);
                CHECK(flushed_before_moves);
                CHECK(backup_flushed > last_move);
            }
            // The backup folder first, then the game folder, after the last original went.
            CHECK(content_flushed > backup_flushed);
            CHECK(content_flushed > last_unlink);
            MESSAGE("FUSE log, " << std::string(c.way) << ": " << counts["RENAME"] << " RENAME, "
                                 << counts["LINK"] << " LINK, " << counts["UNLINK"] << " UNLINK, "
                                 << counts["FSYNC"] << " FSYNC, " << counts["FSYNCDIR"]
                                 << " FSYNCDIR for " << file_count << " files");
        }
    }

    TEST_CASE("on FUSE another program at the worst moment loses nothing and moves nothing else") {
        if (!fuse_usable_or_skip()) return;
        // "1": a file is put in the original's place as it goes, and another takes its name
        // just after; "stuck": the original, once out of its name, can neither go nor come
        // back (both copying, as renames between folders answer EXDEV); "link": a download
        // replaces the original just after it was linked into the backup folder (renames
        // cannot refuse to replace); "swap": a folder is put in the file's place just before
        // its rename.
        struct Case {
            const char* meddle;
            const char* renames;
        };
        for (const Case c : {Case{"1", "exdev"}, Case{"stuck", "exdev"}, Case{"link", "noflags"},
                             Case{"swap", ""}}) {
            const std::string meddle = c.meddle;
            CAPTURE(meddle);
            FakePrefix base(memory_folder());
            fs::create_directory(base.root() / "backing");
            LogFsMount mount(base.root() / "backing", base.root() / "mount", base.root() / "log",
                             c.meddle, c.renames);
            REQUIRE(mount.mounted());
            FakePrefix prefix(base.root() / "mount");
            prefix.file("Games/CoD/Main/mod.pk3", "original");
            posix::PosixFileSystem fs{posix::WinePrefix(prefix.root())};
            FixedClock clock;
            CleanRig rig(fs, clock);
            const fs::path content = prefix.c("Games/CoD/Main");
            const fs::path backup = content / "061226140509";
            CHECK(rig.clean() == (meddle != "swap"));
            for (const auto& e : fs::directory_iterator(content))
                if (meddle != "stuck")
                    CHECK(e.path().filename().string().rfind(".pakscour-", 0) != 0);
            if (meddle == "swap") {
                // The folder is back in the file's place, and the clean stops as for a file
                // that vanished.
                REQUIRE(rig.app.boxes.size() == 1);
                CHECK(rig.app.boxes[0].text.find("Error number:  53\r\n") != std::string::npos);
                CHECK(fs::is_directory(content / "mod.pk3"));
                CHECK(holds(content / "mod.pk3.aside", "original"));
                CHECK_FALSE(fs::exists(backup / "mod.pk3"));
                continue;
            }
            CHECK(holds(backup / "mod.pk3", "original"));
            if (meddle == "link") {
                CHECK(holds(content / "mod.pk3", "download"));
                continue;
            }
            // On its way out the original had a hidden name that still says which file it was.
            const std::vector<std::string> log = mount.log();
            CHECK(std::any_of(log.begin(), log.end(), [](const std::string& line) {
                return line.find("/mod.pk3 /") != std::string::npos &&
                       line.find("/.pakscour-delete-mod.pk3-") != std::string::npos;
            }));
            if (meddle == "1") {
                // The copy and the original, each whole; the file renamed in the original's
                // place back under a free name beside it; the one that took the name meanwhile
                // untouched.
                CHECK(holds(content / "mod.pk3.aside", "original"));
                CHECK(holds(content / "mod (2).pk3", "meddled 1"));
                CHECK(holds(content / "mod.pk3", "meddled 2"));
            } else {
                // The original is stuck under its hidden name: its copy stays, and the status
                // line says the file is in both places.
                CHECK(rig.ctl("lblStatusBar").caption() ==
                      "No alien file moved: 1 copied to C:\\Games\\CoD\\Main\\061226140509 "
                      "stayed in the game folder too, changed by another program meanwhile");
            }
        }
    }
}

}  // namespace
}  // namespace pakscour::test
