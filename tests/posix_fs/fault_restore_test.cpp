// A restore that meets a failure part way: the game downloads an archive under a name that a
// restored file is about to take, after the restore looked, or a delete is refused. The report
// names the restore procedure and the number, and every file is whole in exactly one place,
// beside the game's new download.
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
        int fail_at;  // the operation that fails: stage 0-5, commit 6, delete 7-12
        std::int32_t kind;
    };
    const Row rows[] = {{"a raced download takes the third file's name", 2, err::file_exists},
                        {"the disk fills while copying the fifth", 4, err::disk_full},
                        {"the commit fails", 6, err::device_io}};
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
        FixedClock clock;
        CleanRig rig(faulty, clock);
        CHECK_FALSE(rig.restore());
        REQUIRE(rig.app.boxes.size() == 1);
        CHECK(rig.app.boxes[0].text.find("frmRestore (cmdRestore_Click)") != std::string::npos);
        CHECK(rig.app.boxes[0].text.find("Error number:  " + std::to_string(r.kind)) !=
              std::string::npos);

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
        // The files staged before the failure came back; none after it moved.
        CHECK(in_content == (r.fail_at == 6 ? 0 : r.fail_at));
        CHECK(fs::is_directory(backup));
    }
}

}  // namespace
}  // namespace pakscour::test
