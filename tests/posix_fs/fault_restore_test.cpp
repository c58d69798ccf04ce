// A restore that meets a failure part way: the disk fills while a file is copied, a read or a
// move fails. The report names the restore procedure and the number, and every file is whole
// in exactly one place. A name the game downloaded after the restore looked, just before a
// file takes it, leaves that file in the backup and the restore goes on. A link put in the
// backup folder's place is never followed.
#include <doctest/doctest.h>

#include "clean_rig.h"
#include "fake_prefix.h"
#include "faulty_file_system.h"
#include "platform/posix/posix_file_system.h"

namespace pakscour::test {
namespace {

TEST_CASE("a restore that stops part way leaves every file in exactly one place") {
    struct Row {
        const char* what;
        bool copy_only;
        // The operation that fails: each file's move; or, copying, its move and copy, two per
        // file.
        int fail_at;
        std::int32_t kind;
        int moved;  // the files that came back
    };
    const Row rows[] = {
        {"a raced download takes the third file's name", false, 2, err::file_exists, 5},
        {"a raced download takes the third copy's name", true, 2 * 2 + 1, err::file_exists, 5},
        {"the disk fills while copying the fifth", true, 4 * 2 + 1, err::disk_full, 4},
        {"reading the second fails", true, 1 * 2 + 1, err::device_io, 1},
        {"the fourth's move is refused", false, 3, err::permission_denied, 3}};
    for (const Row& r : rows) {
        CAPTURE(r.what);
        FakePrefix prefix(memory_folder());
        std::vector<std::string> names;
        for (int i = 0; i < 6; ++i) {
            names.push_back("mod" + std::to_string(i) + ".pk3");
            prefix.file("Games/CoD/Main/061226140509/" + names.back(), test_bytes(500 + i, i));
        }
        const posix::WinePrefix wine(prefix.root());
        posix::PosixFileSystem real(wine);
        FaultyFileSystem faulty(real, wine, r.fail_at, r.kind);
        faulty.copy_only = r.copy_only;
        FixedClock clock;
        CleanRig rig(faulty, clock);
        const bool taken = r.kind == err::file_exists;
        CHECK(rig.restore() == taken);
        if (taken) {
            CHECK(rig.app.boxes.empty());
            CHECK(rig.ctl("lblStatusBar").caption() ==
                  "5 files moved back from: C:\\Games\\CoD\\Main\\061226140509; 1 stayed "
                  "there, its name already taken");
        } else {
            REQUIRE(rig.app.boxes.size() == 1);
            CHECK(rig.app.boxes[0].text.find("frmRestore (cmdRestore_Click)") != std::string::npos);
            CHECK(rig.app.boxes[0].text.find("Error number:  " + std::to_string(r.kind)) !=
                  std::string::npos);
        }

        const fs::path content = prefix.c("Games/CoD/Main");
        const fs::path backup = content / "061226140509";
        int in_content = 0;
        for (int i = 0; i < 6; ++i) {
            const fs::path name = names[static_cast<std::size_t>(i)];
            CAPTURE(name);
            const std::string bytes = test_bytes(500 + i, i);
            const bool here = holds(content / name, bytes);
            const bool there = holds(backup / name, bytes);
            CHECK(here != there);
            in_content += here;
            if (faulty.failed_item.ends_with(names[static_cast<std::size_t>(i)]) &&
                r.kind == err::file_exists)
                CHECK(read_file(content / name) == "not the backup");
        }
        // The files before the failure came back; none after it moved.
        CHECK(in_content == r.moved);
        CHECK(fs::is_directory(backup));
    }
}

TEST_CASE("a restore never moves through a link put in the backup folder's place") {
    // Between the restore's look at the backup folder and its first move, another program
    // takes the folder aside and puts a link to a folder of documents in its place, holding a
    // file under a name the backup has.
    FakePrefix prefix(memory_folder());
    prefix.file("Games/CoD/Main/061226140509/mod.pk3", "mod");
    prefix.file("Documents/mod.pk3", "a document");
    const posix::WinePrefix wine(prefix.root());
    posix::PosixFileSystem real(wine);
    FaultyFileSystem faulty(real, wine, -1, 0);
    const fs::path backup = prefix.c("Games/CoD/Main/061226140509");
    faulty.after = [&](const std::string& op, const std::string&) {
        if (op != "writable") return;
        fs::rename(backup, prefix.c("Aside"));
        fs::create_directory_symlink(prefix.c("Documents"), backup);
    };
    CleanRig rig(faulty, "C:\\Games\\CoD");
    CHECK_FALSE(rig.restore());
    REQUIRE(rig.app.boxes.size() == 1);
    CHECK(rig.app.boxes[0].text.find("Error number:  76\r\n") != std::string::npos);
    CHECK(holds(prefix.c("Documents/mod.pk3"), "a document"));
    CHECK(holds(prefix.c("Aside/mod.pk3"), "mod"));
    CHECK_FALSE(fs::exists(prefix.c("Games/CoD/Main/mod.pk3")));
}

}  // namespace
}  // namespace pakscour::test
