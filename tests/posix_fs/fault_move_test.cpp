// A ten-file clean whose every file-system operation in turn fails with every kind of failure:
// the report names the Clean procedure and the number, and no file is ever lost.
#include <doctest/doctest.h>

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

TEST_CASE("a failing folder creation, copy or delete loses no file") {
    const std::int32_t kinds[] = {err::disk_full, err::permission_denied, err::file_not_found,
                                  err::file_exists, err::device_io};
    // Operation 0 creates the backup folder; the ten files make one batch, so file i is staged
    // as operation 1 + i and, once the batch is committed, deleted as operation 11 + i.
    for (int fail_at = 0; fail_at < 1 + 2 * file_count; ++fail_at) {
        const bool delete_failed = fail_at > file_count;
        for (std::int32_t kind : kinds) {
            if (kind == err::file_exists && delete_failed) continue;
            CAPTURE(fail_at);
            CAPTURE(kind);
            FakePrefix prefix(memory_folder());
            for (int i = 0; i < file_count; ++i)
                prefix.file(
                    "Games/CoD/Main/" + file_name(i),
                    test_bytes(1000 + 997 * static_cast<std::size_t>(i), static_cast<unsigned>(i)));
            prefix.file("Games/CoD/Main/pak0.pk3", "stock");
            const posix::WinePrefix wine(prefix.root());
            posix::PosixFileSystem real(wine);
            FaultyFileSystem faulty(real, wine, fail_at, kind);
            FixedClock clock;
            CleanRig rig(faulty, clock);

            CHECK_FALSE(rig.clean());
            REQUIRE(rig.app.boxes.size() == 1);
            const std::string& text = rig.app.boxes[0].text;
            CHECK(text.find("An error has occurred in frmMain (cmdClean_Click)\r\n") == 0);
            CHECK(text.find("Error number:  " + std::to_string(kind) + "\r\n") !=
                  std::string::npos);
            REQUIRE(static_cast<int>(faulty.log.size()) > fail_at);
            // The description names the item concerned (the source or the target of a copy).
            const std::string& item = faulty.failed_item;
            REQUIRE_FALSE(item.empty());
            CHECK(text.find(item.substr(item.rfind('\\'))) != std::string::npos);

            // Files before the failing one are moved, the failing one is where its step left
            // it, later ones are untouched; every one is whole somewhere.
            const int failing =
                fail_at == 0 ? -1 : (delete_failed ? fail_at - 1 - file_count : fail_at - 1);
            int moved = 0, both = 0, kept = 0;
            for (int i = 0; i < file_count; ++i) {
                CAPTURE(i);
                const std::string bytes =
                    test_bytes(1000 + 997 * static_cast<std::size_t>(i), static_cast<unsigned>(i));
                const bool in_content = holds(prefix.c("Games/CoD/Main/" + file_name(i)), bytes);
                const bool in_backup =
                    holds(prefix.c(std::string(backup_rel) + "/" + file_name(i)), bytes);
                CHECK((in_content || in_backup));
                moved += in_backup && !in_content;
                both += in_backup && in_content;
                kept += in_content && !in_backup;
            }
            const int expected_moved = fail_at == 0 ? 0 : failing;
            CHECK(moved == expected_moved);
            CHECK(both == (delete_failed ? 1 : 0));
            CHECK(kept == file_count - expected_moved - both);
            CHECK(read_file(prefix.c("Games/CoD/Main/pak0.pk3")) == "stock");
        }
    }
}

}  // namespace
}  // namespace pakscour::test
