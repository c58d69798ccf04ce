// Copies in batches over real folders: staged copies bear no name until the commit, which
// names them in order; a name taken meanwhile stops the batch there; a name that differs only
// in case from a copy staged or named before is refused with 58; nothing hidden is left.
#include <doctest/doctest.h>

#include <algorithm>
#include <optional>

#include "fake_prefix.h"
#include "platform/posix/posix_file_system.h"
#include "platform/runtime_error.h"

namespace pakscour::test {
namespace {

using posix::PosixFileSystem;
using posix::WinePrefix;

// The names in a folder, without . and ..
std::vector<std::string> names_in(const fs::path& folder) {
    std::vector<std::string> names;
    for (const std::string& n : readdir_order(folder))
        if (n != "." && n != "..") names.push_back(n);
    std::sort(names.begin(), names.end());
    return names;
}

std::optional<RuntimeError> stage_error(PosixFileSystem& fs, const std::string& from,
                                        const std::string& to) {
    try {
        fs.stage_copy(from, to);
    } catch (const RuntimeError& e) {
        return e;
    }
    return std::nullopt;
}

struct Fixture {
    Fixture() {
        for (int i = 0; i < 5; ++i) prefix.file("Main/f" + std::to_string(i) + ".pk3", bytes(i));
        fs::create_directories(prefix.c("Main/Other"));
    }
    static std::string bytes(int i) { return test_bytes(3000 + 1000 * i, i); }
    FakePrefix prefix;
    PosixFileSystem fs{WinePrefix(prefix.root())};
};

TEST_CASE_FIXTURE(Fixture, "staged copies take their names, in order, only at the commit") {
    const std::string made = fs.create_folder("C:\\Main\\Backup");
    for (int i = 0; i < 5; ++i) {
        const std::string name = "f" + std::to_string(i) + ".pk3";
        CHECK(fs.stage_copy("C:\\Main\\" + name, made + "\\" + name) ==
              static_cast<std::uint64_t>(bytes(i).size()));
    }
    // Before the commit the folder holds only hidden files.
    for (const std::string& n : names_in(prefix.c("Main/Backup"))) CHECK(n[0] == '.');
    RuntimeError failure;
    CHECK(fs.commit_copies(failure).size() == 5);
    CHECK(failure.number == 0);
    CHECK(names_in(prefix.c("Main/Backup")) ==
          std::vector<std::string>{"f0.pk3", "f1.pk3", "f2.pk3", "f3.pk3", "f4.pk3"});
    for (int i = 0; i < 5; ++i)
        CHECK(read_file(prefix.c("Main/Backup/f" + std::to_string(i) + ".pk3")) == bytes(i));
    // An empty commit names nothing and is no failure.
    CHECK(fs.commit_copies(failure).empty());
    CHECK(failure.number == 0);
}

TEST_CASE_FIXTURE(Fixture, "a name taken before the commit stops the batch at that copy") {
    const std::string made = fs.create_folder("C:\\Main\\Backup");
    for (const std::string& folder : {made, std::string("C:\\Main\\Other")}) {
        CAPTURE(folder);
        const fs::path host = prefix.c(folder == made ? "Main/Backup" : "Main/Other");
        for (int i = 0; i < 5; ++i) {
            const std::string name = "f" + std::to_string(i) + ".pk3";
            fs.stage_copy("C:\\Main\\" + name, folder + "\\" + name);
        }
        // Another program takes the fourth copy's name.
        std::ofstream(host / "f3.pk3") << "someone else's";
        RuntimeError failure;
        CHECK(fs.commit_copies(failure).size() == 3);
        CHECK(failure.number == err::file_exists);
        CHECK(failure.description == "File already exists");
        CHECK(names_in(host) == std::vector<std::string>{"f0.pk3", "f1.pk3", "f2.pk3", "f3.pk3"});
        CHECK(read_file(host / "f2.pk3") == bytes(2));
        CHECK(read_file(host / "f3.pk3") == "someone else's");
        // The copies that were not named gave their names back.
        fs.delete_file(folder + "\\f3.pk3");
        fs.copy_file("C:\\Main\\f4.pk3", folder + "\\F4.PK3");
        CHECK(read_file(host / "F4.PK3") == bytes(4));
    }
}

TEST_CASE_FIXTURE(Fixture, "a name that differs only in case from one staged or named fails") {
    const std::string made = fs.create_folder("C:\\Main\\Backup");
    for (const std::string& folder : {made, std::string("C:\\Main\\Other")}) {
        CAPTURE(folder);
        fs.copy_file("C:\\Main\\f0.pk3", folder + "\\Named.pk3");
        fs.stage_copy("C:\\Main\\f1.pk3", folder + "\\Staged.pk3");
        struct Case {
            const char* from;
            const char* to;
        };
        const Case cases[] = {{"f2.pk3", "NAMED.PK3"},
                              {"f2.pk3", "named.pk3"},
                              {"f3.pk3", "staged.PK3"},
                              {"f3.pk3", "Staged.pk3"}};
        for (const Case& c : cases) {
            CAPTURE(c.to);
            const auto e =
                stage_error(fs, std::string("C:\\Main\\") + c.from, folder + "\\" + c.to);
            REQUIRE(e);
            CHECK(e->number == err::file_exists);
            CHECK(e->description == "File already exists");
        }
        RuntimeError failure;
        CHECK(fs.commit_copies(failure).size() == 1);
        const fs::path host = prefix.c(folder == made ? "Main/Backup" : "Main/Other");
        CHECK(names_in(host) == std::vector<std::string>{"Named.pk3", "Staged.pk3"});
        CHECK(read_file(host / "Named.pk3") == bytes(0));
        CHECK(read_file(host / "Staged.pk3") == bytes(1));
    }
}

TEST_CASE_FIXTURE(Fixture, "a deleted copy frees its name; copies never committed leave nothing") {
    const std::string made = fs.create_folder("C:\\Main\\Backup");
    fs.copy_file("C:\\Main\\f0.pk3", made + "\\Name.pk3");
    fs.delete_file(made + "\\name.PK3");
    fs.copy_file("C:\\Main\\f1.pk3", made + "\\NAME.pk3");
    CHECK(read_file(prefix.c("Main/Backup/NAME.pk3")) == bytes(1));
    {
        PosixFileSystem other{WinePrefix(prefix.root())};
        other.stage_copy("C:\\Main\\f2.pk3", "C:\\Main\\Backup\\f2.pk3");
        other.stage_copy("C:\\Main\\f3.pk3", "C:\\Main\\Other\\f3.pk3");
    }
    CHECK(names_in(prefix.c("Main/Backup")) == std::vector<std::string>{"NAME.pk3"});
    CHECK(names_in(prefix.c("Main/Other")).empty());
    // The sources were only read.
    for (int i = 0; i < 5; ++i)
        CHECK(read_file(prefix.c("Main/f" + std::to_string(i) + ".pk3")) == bytes(i));
}

TEST_CASE_FIXTURE(Fixture, "files of one folder are found spelled exactly or in another case") {
    const std::string made = fs.create_folder("C:\\Main\\Backup");
    prefix.file("Main/Twice.pk3", "upper");
    prefix.file("Main/twice.pk3", "lower");
    struct Case {
        const char* from;
        const char* to;
        std::string bytes;
    };
    // After the first, each source lies in the folder looked up just before, spelled as on
    // disk or not; an exact name wins over one that differs only in case.
    const Case cases[] = {{"C:\\Main\\f0.pk3", "a.pk3", bytes(0)},
                          {"C:\\Main\\F1.PK3", "b.pk3", bytes(1)},
                          {"C:\\Main\\f2.pk3", "c.pk3", bytes(2)},
                          {"C:\\Main\\twice.pk3", "d.pk3", "lower"},
                          {"C:\\Main\\Twice.pk3", "e.pk3", "upper"}};
    for (const Case& c : cases) {
        CAPTURE(c.from);
        fs.copy_file(c.from, made + "\\" + c.to);
        CHECK(read_file(prefix.c("Main/Backup") / c.to) == c.bytes);
        fs.delete_file(c.from);
    }
    CHECK(names_in(prefix.c("Main")) ==
          std::vector<std::string>{"Backup", "Other", "f3.pk3", "f4.pk3"});
    fs.delete_file("C:\\Main\\F3.pK3");
    CHECK_FALSE(fs::exists(prefix.c("Main/f3.pk3")));
}

}  // namespace
}  // namespace pakscour::test
