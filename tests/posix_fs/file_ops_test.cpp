// Folder creation, copy and delete over real folders, with the error numbers of their
// failures, including a really full disk and a really read-only one.
#include <doctest/doctest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <functional>

#include "fake_prefix.h"
#include "platform/posix/posix_file_system.h"
#include "platform/runtime_error.h"

namespace pakscour::test {
namespace {

using posix::PosixFileSystem;
using posix::WinePrefix;

// The run-time error `op` raises; number 0 when it raises none.
RuntimeError error_of(const std::function<void()>& op) {
    try {
        op();
    } catch (const RuntimeError& e) {
        return e;
    }
    return {};
}

struct Fixture {
    FakePrefix prefix;
    PosixFileSystem fs{WinePrefix(prefix.root())};
};

TEST_CASE_FIXTURE(Fixture, "copies are byte for byte and leave the source alone") {
    const std::size_t sizes[] = {0, 1, 4095, 4096, 1 << 20, (3 << 20) + 17};
    fs::create_directories(prefix.c("Main/backup"));
    for (std::size_t size : sizes) {
        CAPTURE(size);
        const std::string name = "f" + std::to_string(size) + ".pk3";
        const std::string bytes = test_bytes(size, static_cast<unsigned>(size));
        prefix.file("Main/" + name, bytes);
        fs.copy_file("c:\\main\\" + name, "C:\\Main\\backup\\" + name);
        CHECK(read_file(prefix.c("Main/backup/" + name)) == bytes);
        CHECK(read_file(prefix.c("Main/" + name)) == bytes);
    }
}

TEST_CASE_FIXTURE(Fixture, "a copy keeps long names and the source's permissions") {
    const std::string name = std::string(251, 'n') + ".pk3";
    prefix.file("Main/" + name, "long");
    fs::permissions(prefix.c("Main/" + name), fs::perms::owner_read | fs::perms::group_read);
    fs::create_directories(prefix.c("Main/backup"));
    fs.copy_file("C:\\Main\\" + name, "C:\\Main\\backup\\" + name);
    CHECK(read_file(prefix.c("Main/backup/" + name)) == "long");
    CHECK(fs::status(prefix.c("Main/backup/" + name)).permissions() ==
          (fs::perms::owner_read | fs::perms::group_read));
    CHECK(std::distance(fs::directory_iterator(prefix.c("Main/backup")),
                        fs::directory_iterator()) == 1);
}

TEST_CASE_FIXTURE(Fixture, "folder creation, copy and delete make a move") {
    prefix.file("Games/CoD/Main/mod.pk3", "mod bytes");
    fs.create_folder("C:\\Games\\CoD\\Main\\061226140509");
    CHECK(fs::is_directory(prefix.c("Games/CoD/Main/061226140509")));
    fs.copy_file("C:\\Games\\CoD\\Main\\mod.pk3", "C:\\Games\\CoD\\Main\\061226140509\\mod.pk3");
    fs.delete_file("C:\\Games\\CoD\\Main\\mod.pk3");
    CHECK_FALSE(fs::exists(prefix.c("Games/CoD/Main/mod.pk3")));
    CHECK(read_file(prefix.c("Games/CoD/Main/061226140509/mod.pk3")) == "mod bytes");
}

TEST_CASE_FIXTURE(Fixture, "failures raise their classic numbers and name the Windows path") {
    prefix.file("Main/a.pk3", "original a");
    prefix.file("Main/Backup/A.PK3", "older backup");
    fs::create_directories(prefix.c("Main/Folder"));
    prefix.file("Other/target.pk3", "elsewhere");
    fs::create_symlink("../Other/target.pk3", prefix.c("Main/link.pk3"));
    REQUIRE(::mkfifo(prefix.c("Main/fifo.pk3").c_str(), 0600) == 0);

    struct Case {
        const char* what;
        std::function<void(PosixFileSystem&)> op;
        std::int32_t number;
    };
    const Case cases[] = {
        {"folder exists", [](auto& f) { f.create_folder("C:\\Main\\Backup"); }, 58},
        {"folder exists in other case", [](auto& f) { f.create_folder("C:\\main\\BACKUP"); }, 58},
        {"parent missing", [](auto& f) { f.create_folder("C:\\Nowhere\\New"); }, 76},
        {"drive missing", [](auto& f) { f.create_folder("Q:\\New"); }, 76},
        {"bad folder name", [](auto& f) { f.create_folder("C:\\Main\\a*b"); }, 76},
        {"target exists",
         [](auto& f) { f.copy_file("C:\\Main\\a.pk3", "C:\\Main\\Backup\\a.pk3"); }, 58},
        {"source missing",
         [](auto& f) { f.copy_file("C:\\Main\\b.pk3", "C:\\Main\\Backup\\b.pk3"); }, 53},
        {"source folder missing",
         [](auto& f) { f.copy_file("C:\\Gone\\b.pk3", "C:\\Main\\Backup\\b.pk3"); }, 76},
        {"target folder missing",
         [](auto& f) { f.copy_file("C:\\Main\\a.pk3", "C:\\Main\\Gone\\a.pk3"); }, 76},
        {"source is a folder",
         [](auto& f) { f.copy_file("C:\\Main\\Folder", "C:\\Main\\Backup\\Folder"); }, 70},
        {"source is a link",
         [](auto& f) { f.copy_file("C:\\Main\\link.pk3", "C:\\Main\\Backup\\link.pk3"); }, 70},
        {"source is a fifo",
         [](auto& f) { f.copy_file("C:\\Main\\fifo.pk3", "C:\\Main\\Backup\\fifo.pk3"); }, 70},
        {"delete missing", [](auto& f) { f.delete_file("C:\\Main\\b.pk3"); }, 53},
        {"delete in missing folder", [](auto& f) { f.delete_file("C:\\Gone\\b.pk3"); }, 76},
        {"delete a folder", [](auto& f) { f.delete_file("C:\\Main\\Folder"); }, 70},
    };
    for (const Case& k : cases) {
        CAPTURE(k.what);
        const RuntimeError e = error_of([&] { k.op(fs); });
        CHECK(e.number == k.number);
        // The usual description alone, with no path added.
        CHECK(e.description == error_description(k.number));
    }
    // Nothing was overwritten, created or removed by the failures.
    CHECK(read_file(prefix.c("Main/a.pk3")) == "original a");
    CHECK(read_file(prefix.c("Main/Backup/A.PK3")) == "older backup");
    CHECK(read_file(prefix.c("Other/target.pk3")) == "elsewhere");
    CHECK(fs::is_directory(prefix.c("Main/Folder")));
    CHECK_FALSE(fs::exists(prefix.c("Main/Backup/link.pk3")));
    CHECK_FALSE(fs::exists(prefix.c("Main/Backup/Folder")));
    CHECK_FALSE(fs::exists(prefix.c("Main/Gone")));
    CHECK(std::distance(fs::directory_iterator(prefix.c("Main/Backup")),
                        fs::directory_iterator()) == 1);
}

TEST_CASE_FIXTURE(Fixture, "a full disk fails the copy with 61 and leaves no partial copy") {
    if (::geteuid() != 0) {
        MESSAGE("not root: no small tmpfs can be mounted, skipped");
        return;
    }
    SmallTmpfs small(prefix.c("Full"), "size=64k");
    if (!small.ok) {
        MESSAGE("mounting a tmpfs failed: skipped");
        return;
    }
    const std::string big = test_bytes(256 * 1024, 7);
    prefix.file("Main/big.pk3", big);
    prefix.file("Main/small.pk3", "small");
    const RuntimeError e =
        error_of([&] { fs.copy_file("C:\\Main\\big.pk3", "C:\\Full\\big.pk3"); });
    CHECK(e.number == err::disk_full);
    CHECK(e.description == "Disk full");
    CHECK_FALSE(fs::exists(prefix.c("Full/big.pk3")));
    CHECK(fs::is_empty(prefix.c("Full")));  // not even a hidden partial copy
    CHECK(read_file(prefix.c("Main/big.pk3")) == big);
    // The space the partial copy held is free again.
    fs.copy_file("C:\\Main\\small.pk3", "C:\\Full\\small.pk3");
    CHECK(read_file(prefix.c("Full/small.pk3")) == "small");
}

TEST_CASE_FIXTURE(Fixture, "a read-only disk refuses creation, copy and delete with 70") {
    if (::geteuid() != 0) {
        MESSAGE("not root: no read-only tmpfs can be mounted, skipped");
        return;
    }
    SmallTmpfs ro(prefix.c("ReadOnly"), "size=256k");
    if (!ro.ok) {
        MESSAGE("mounting a tmpfs failed: skipped");
        return;
    }
    prefix.file("ReadOnly/kept.pk3", "kept");
    prefix.file("Main/a.pk3", "a");
    REQUIRE(ro.make_read_only());
    CHECK(error_of([&] { fs.create_folder("C:\\ReadOnly\\New"); }).number == 70);
    CHECK(error_of([&] { fs.copy_file("C:\\Main\\a.pk3", "C:\\ReadOnly\\a.pk3"); }).number == 70);
    CHECK(error_of([&] { fs.delete_file("C:\\ReadOnly\\kept.pk3"); }).number == 70);
    CHECK(read_file(prefix.c("ReadOnly/kept.pk3")) == "kept");
    CHECK_FALSE(fs::exists(prefix.c("ReadOnly/a.pk3")));
}

TEST_CASE_FIXTURE(Fixture, "a folder without write permission refuses with 70") {
    if (::geteuid() == 0) {
        MESSAGE("running as root, which may write anywhere: skipped");
        return;
    }
    prefix.file("Locked/kept.pk3", "kept");
    prefix.file("Main/a.pk3", "a");
    fs::permissions(prefix.c("Locked"), fs::perms::owner_read | fs::perms::owner_exec);
    CHECK(error_of([&] { fs.create_folder("C:\\Locked\\New"); }).number == 70);
    CHECK(error_of([&] { fs.copy_file("C:\\Main\\a.pk3", "C:\\Locked\\a.pk3"); }).number == 70);
    CHECK(error_of([&] { fs.delete_file("C:\\Locked\\kept.pk3"); }).number == 70);
    fs::permissions(prefix.c("Locked"), fs::perms::owner_all);
    CHECK(read_file(prefix.c("Locked/kept.pk3")) == "kept");
}

}  // namespace
}  // namespace pakscour::test
