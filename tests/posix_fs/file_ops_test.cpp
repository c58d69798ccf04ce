// The file system over real folders: the move contract every platform keeps (drive C: in
// memory, drive D: on the disk, another file system), folder creation's errors, and copies
// across file systems byte for byte, on a really full disk and a really read-only one.
#include <doctest/doctest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>

#include "fake_prefix.h"
#include "file_system_contract.h"
#include "platform/posix/fd.h"
#include "platform/posix/posix_file_system.h"
#include "platform/runtime_error.h"

namespace pakscour::test {
namespace {

using posix::PosixFileSystem;
using posix::WinePrefix;

// The run-time error number `op` raises; 0 when it raises none.
std::int32_t number_of(const std::function<void()>& op) {
    return contract::number_of(op);
}

// Drive C: in memory and drive D: in the temporary folder on the disk.
struct Fixture {
    Fixture() {
        other = fs::temp_directory_path() / prefix.root().filename();
        fs::create_directories(other);
        fs::create_directory_symlink(other, prefix.root() / "dosdevices" / "d:");
    }
    ~Fixture() {
        std::error_code ec;
        fs::remove_all(other, ec);
    }
    FakePrefix prefix{memory_folder()};
    fs::path other;
    PosixFileSystem fs{WinePrefix(prefix.root())};
};

class LinuxContractRig : public ContractRig {
  public:
    explicit LinuxContractRig(Fixture& f) : f_(f) {}
    FileSystem& fs() override { return f_.fs; }
    std::string new_folder() override {
        const std::string name = "row" + std::to_string(++rows_);
        fs::create_directories(f_.prefix.c(name));
        return "C:\\" + name;
    }
    std::string other_file_system_folder() override {
        if (!f_.other.has_parent_path()) return {};
        fs::create_directories(f_.other / "other");
        return "D:\\other";
    }
    void make_folder(const std::string& path) override { fs::create_directories(host(path)); }
    void write(const std::string& path, const std::string& bytes) override {
        std::ofstream(host(path), std::ios::binary) << bytes;
    }
    std::optional<std::string> read(const std::string& path) override {
        if (!fs::is_regular_file(fs::symlink_status(host(path)))) return std::nullopt;
        return read_file(host(path));
    }
    bool exists(const std::string& path) override {
        return fs::exists(fs::symlink_status(host(path)));
    }
    bool link(const std::string& path, const std::string& target) override {
        fs::create_directory_symlink(host(target), host(path));
        return true;
    }
    // A file open in another program moves on Linux.
    std::int32_t hold(const std::string& path) override {
        held_ = posix::Fd(::open(host(path).c_str(), O_RDONLY | O_CLOEXEC));
        REQUIRE(held_);
        return 0;
    }
    void release() override { held_.reset(); }
    bool case_sensitive() override { return true; }

  private:
    fs::path host(std::string path) {
        for (char& c : path)
            if (c == '\\') c = '/';
        const fs::path rel = path.substr(3);
        return path[0] == 'D' ? f_.other / rel : f_.prefix.c(rel.string());
    }
    Fixture& f_;
    int rows_ = 0;
    posix::Fd held_;
};

TEST_CASE_FIXTURE(Fixture, "a move answers as on every platform") {
    LinuxContractRig rig(*this);
    check_move_contract(rig);
}

TEST_CASE_FIXTURE(Fixture, "copies are byte for byte and keep long names and permissions") {
    const std::size_t sizes[] = {0, 1, 4095, 4096, 1 << 20, (3 << 20) + 17};
    fs::create_directories(other / "backup");
    for (std::size_t size : sizes) {
        CAPTURE(size);
        const std::string name = "f" + std::to_string(size) + ".pk3";
        const std::string bytes = test_bytes(size, static_cast<unsigned>(size));
        prefix.file("Main/" + name, bytes);
        CHECK(fs.copy_file("C:\\Main\\" + name, "D:\\backup\\" + name) == Copied::moved);
        CHECK(read_file(other / "backup" / name) == bytes);
        CHECK_FALSE(fs::exists(prefix.c("Main/" + name)));
    }
    const std::string name = std::string(251, 'n') + ".pk3";
    prefix.file("Main/" + name, "long");
    fs::permissions(prefix.c("Main/" + name), fs::perms::owner_read | fs::perms::group_read);
    fs.copy_file("C:\\Main\\" + name, "D:\\backup\\" + name);
    CHECK(read_file(other / "backup" / name) == "long");
    CHECK(fs::status(other / "backup" / name).permissions() ==
          (fs::perms::owner_read | fs::perms::group_read));
    // Nothing hidden is left on either side.
    for (const fs::path& folder : {other / "backup", prefix.c("Main")})
        for (const auto& e : fs::directory_iterator(folder))
            CHECK(e.path().filename().string()[0] != '.');
}

TEST_CASE_FIXTURE(Fixture, "folder creation raises its classic numbers") {
    fs::create_directories(prefix.c("Main/Backup"));
    const std::pair<const char*, std::int32_t> cases[] = {
        {"C:\\Main\\Backup", 58}, {"C:\\main\\BACKUP", 58}, {"C:\\Nowhere\\New", 76},
        {"Q:\\New", 76},          {"C:\\Main\\a*b", 76},
    };
    for (const auto& [path, number] : cases) {
        CAPTURE(path);
        CHECK(number_of([&] { fs.create_folder(path); }) == number);
    }
    CHECK(fs.create_folder("C:\\Main\\New") == "C:\\Main\\New");
    CHECK(fs::is_directory(fs::symlink_status(prefix.c("Main/New"))));
}

TEST_CASE_FIXTURE(Fixture, "a full disk fails the copy with 61 and leaves no partial copy") {
    if (::geteuid() != 0) {
        MESSAGE("not root: no small tmpfs can be mounted, skipped");
        return;
    }
    SmallTmpfs small(other / "Full", "size=64k");
    if (!small.ok) {
        MESSAGE("mounting a tmpfs failed: skipped");
        return;
    }
    const std::string big = test_bytes(256 * 1024, 7);
    prefix.file("Main/big.pk3", big);
    prefix.file("Main/small.pk3", "small");
    CHECK(number_of([&] { fs.copy_file("C:\\Main\\big.pk3", "D:\\Full\\big.pk3"); }) ==
          err::disk_full);
    CHECK(fs::is_empty(other / "Full"));  // not even a hidden partial copy
    CHECK(read_file(prefix.c("Main/big.pk3")) == big);
    // The space the partial copy held is free again.
    fs.copy_file("C:\\Main\\small.pk3", "D:\\Full\\small.pk3");
    CHECK(read_file(other / "Full/small.pk3") == "small");
}

TEST_CASE_FIXTURE(Fixture, "a read-only disk or folder refuses creation and copy with 70") {
    prefix.file("Main/a.pk3", "a");
    std::optional<SmallTmpfs> ro;
    if (::geteuid() == 0) {
        ro.emplace(other / "Locked", "size=256k");
        if (!ro->ok || !ro->make_read_only()) {
            MESSAGE("mounting a read-only tmpfs failed: skipped");
            return;
        }
    } else {
        fs::create_directories(other / "Locked");
        fs::permissions(other / "Locked", fs::perms::owner_read | fs::perms::owner_exec);
    }
    CHECK(number_of([&] { fs.create_folder("D:\\Locked\\New"); }) == 70);
    CHECK(number_of([&] { fs.copy_file("C:\\Main\\a.pk3", "D:\\Locked\\a.pk3"); }) == 70);
    CHECK(read_file(prefix.c("Main/a.pk3")) == "a");
    CHECK(fs::is_empty(other / "Locked"));
}

}  // namespace
}  // namespace pakscour::test
