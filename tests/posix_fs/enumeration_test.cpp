// Wildcard enumerations over real folders: what is returned, in which order, and what never
// is (folders, links, hidden files, names no Windows path could name).
#include <doctest/doctest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <set>

#include "fake_prefix.h"
#include "platform/posix/fs_names.h"
#include "platform/posix/posix_file_system.h"
#include "platform/runtime_error.h"

namespace pakscour::test {
namespace {

using posix::PosixFileSystem;
using posix::WinePrefix;

std::vector<std::string> enumerate(PosixFileSystem& fs, const std::string& pattern) {
    std::vector<std::string> names;
    for (std::string n = fs.find_first(pattern); !n.empty(); n = fs.find_next()) names.push_back(n);
    return names;
}

std::vector<std::string> sorted(std::vector<std::string> v) {
    std::sort(v.begin(), v.end());
    return v;
}

TEST_CASE("wildcards match ignoring case, * any run, ? exactly one character") {
    struct Case {
        const char* name;
        const char* pattern;
        bool match;
    };
    const Case cases[] = {
        {"mod.pk3", "*.pk3", true},
        {"MOD.PK3", "*.pk3", true},
        {"mod.pk3", "*.PK3", true},
        {"mod.pk3x", "*.pk3", false},
        {"mod.pk3.pk3", "*.pk3", true},
        {".pk3", "*.pk3", true},
        {"pk3", "*.pk3", false},
        {"pak0.pk3", "pak?.pk3", true},
        {"pak10.pk3", "pak?.pk3", false},
        {"pak.pk3", "pak?.pk3", false},
        {"uomappack1.pk3", "uomappack*.pk3", true},
        {"UOMAPPACK.PK3", "uomappack*.pk3", true},
        {"xuomappack1.pk3", "uomappack*.pk3", false},
        {"anything", "*", true},
        {"anything", "*.*", true},
        {"no_dot", "*.*", true},
        {"a.iwd", "*.pk3", false},
        {"abcabd", "*abd", true},
        {"aXbXc", "a*b*c", true},
        {"aXbXd", "a*b*c", false},
        {"\xC3\xA9t\xC3\xA9.pk3", "?t?.pk3", true},
        {"\xC3\x89T\xC3\x89.PK3", "\xC3\xA9t\xC3\xA9.pk3", true},
    };
    for (const Case& k : cases) {
        CAPTURE(k.name);
        CAPTURE(k.pattern);
        CHECK(posix::wildcard_match(k.name, k.pattern) == k.match);
    }
}

TEST_CASE("enumeration returns matching plain files in the folder's readdir order") {
    FakePrefix prefix;
    const char* names[] = {"zeta.pk3",
                           "Alpha.PK3",
                           "pak0.pk3",
                           "mid.Pk3",
                           "notes.txt",
                           "b.iwd",
                           "\xC3\xA9t\xC3\xA9.pk3"};
    for (const char* n : names) prefix.file(std::string("Games/CoD/Main/") + n);
    PosixFileSystem fs{WinePrefix(prefix.root())};

    std::vector<std::string> expected;
    for (const std::string& n : readdir_order(prefix.c("Games/CoD/Main")))
        if (n.size() > 4 && posix::wildcard_match(n, "*.pk3")) expected.push_back(n);
    REQUIRE(expected.size() == 5);
    CHECK(enumerate(fs, "c:\\games\\COD\\main\\*.pk3") == expected);
    CHECK(enumerate(fs, "C:\\Games\\CoD\\Main\\*.PK3") == expected);
    CHECK(enumerate(fs, "C:\\Games\\CoD\\Main\\*.iwd") == std::vector<std::string>{"b.iwd"});
    CHECK(enumerate(fs, "C:\\Games\\CoD\\Main\\*.*").size() == 7);
}

TEST_CASE("folders, links, hidden files and special files are never returned") {
    FakePrefix prefix;
    prefix.file("Main/real.pk3", "real");
    prefix.file("Elsewhere/target.pk3", "elsewhere");
    fs::create_directories(prefix.c("Main/folder.pk3"));
    fs::create_symlink("../Elsewhere/target.pk3", prefix.c("Main/link.pk3"));
    fs::create_symlink("../Elsewhere/none.pk3", prefix.c("Main/dangling.pk3"));
    fs::create_directory_symlink("../Elsewhere", prefix.c("Main/dirlink.pk3"));
    ::link(prefix.c("Main/real.pk3").c_str(), prefix.c("Main/hardlink.pk3").c_str());
    prefix.file("Main/.hidden.pk3");
    REQUIRE(::mkfifo(prefix.c("Main/fifo.pk3").c_str(), 0600) == 0);
    PosixFileSystem fs{WinePrefix(prefix.root())};
    CHECK(sorted(enumerate(fs, "C:\\Main\\*.pk3")) ==
          std::vector<std::string>{"hardlink.pk3", "real.pk3"});
}

TEST_CASE("host names no Windows path could name are never returned") {
    FakePrefix prefix;
    prefix.file("Main/good.pk3");
    const char* hostile[] = {
        "back\\slash.pk3",
        "co:lon.pk3",
        "star*.pk3",
        "quest?.pk3",
        "quo\"te.pk3",
        "less<.pk3",
        "more>.pk3",
        "pi|pe.pk3",
        "ctl\x01.pk3",
        "new\nline.pk3",
        "del\x7F.pk3",
        "\xFF\xFE.pk3",
        "\xC3(bad.pk3",
        "\xED\xA0\x80surrogate.pk3",
        "\xC0\xAFoverlong.pk3",
        "cut\xE2\x82.pk3",
    };
    for (const char* n : hostile) {
        const std::string path = prefix.c("Main").string() + "/" + n;
        const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY, 0644);
        REQUIRE(fd >= 0);
        ::close(fd);
    }
    PosixFileSystem fs{WinePrefix(prefix.root())};
    CHECK(enumerate(fs, "C:\\Main\\*.pk3") == std::vector<std::string>{"good.pk3"});
    CHECK(enumerate(fs, "C:\\Main\\*") == std::vector<std::string>{"good.pk3"});
}

TEST_CASE("missing, empty and non-folder targets give an empty first name") {
    FakePrefix prefix;
    fs::create_directories(prefix.c("Empty"));
    prefix.file("Main/only.iwd");
    PosixFileSystem fs{WinePrefix(prefix.root())};
    CHECK(fs.find_first("C:\\Missing\\*.pk3").empty());
    CHECK(fs.find_next().empty());
    CHECK(fs.find_first("C:\\Empty\\*.pk3").empty());
    CHECK(fs.find_first("C:\\Main\\*.pk3").empty());
    CHECK(fs.find_first("C:\\Main\\only.iwd\\*.pk3").empty());
    CHECK(fs.find_first("Z:\\Main\\*.pk3").empty());
    CHECK(fs.find_first("*.pk3").empty());
    // The scan of a CoD2 folder text without its final backslash names no folder.
    CHECK(fs.find_first("C:\\Mainmain\\*.iwd").empty());
}

TEST_CASE("a new enumeration abandons the last one; the end stays the end") {
    FakePrefix prefix;
    prefix.file("A/a1.pk3");
    prefix.file("A/a2.pk3");
    prefix.file("B/b1.pk3");
    PosixFileSystem fs{WinePrefix(prefix.root())};
    const std::string first_a = fs.find_first("C:\\A\\*.pk3");
    CHECK_FALSE(first_a.empty());
    CHECK(fs.find_first("C:\\B\\*.pk3") == "b1.pk3");
    CHECK(fs.find_next().empty());
    CHECK(fs.find_next().empty());
    CHECK(sorted(enumerate(fs, "C:\\A\\*.pk3")) == std::vector<std::string>{"a1.pk3", "a2.pk3"});
    CHECK(fs.find_first("C:\\A\\*.pk3") == first_a);
}

TEST_CASE("a folder that cannot be read is reported, not passed off as empty") {
    if (::geteuid() == 0) {
        MESSAGE("running as root, which reads every folder: skipped");
        return;
    }
    FakePrefix prefix;
    prefix.file("Locked/x.pk3");
    fs::permissions(prefix.c("Locked"), fs::perms::none);
    PosixFileSystem fs{WinePrefix(prefix.root())};
    try {
        fs.find_first("C:\\Locked\\*.pk3");
        FAIL("no error");
    } catch (const RuntimeError& e) {
        CHECK(e.number == err::permission_denied);
    }
    fs::permissions(prefix.c("Locked"), fs::perms::owner_all);
}

TEST_CASE("six thousand files are each returned once") {
    FakePrefix prefix(memory_folder());
    const fs::path main = prefix.c("Main");
    fs::create_directories(main);
    for (int i = 0; i < 6000; ++i) {
        const std::string path = (main / ("mod_" + std::to_string(i) + ".pk3")).string();
        const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY, 0644);
        REQUIRE(fd >= 0);
        ::close(fd);
    }
    prefix.file("Main/readme.txt");
    PosixFileSystem fs{WinePrefix(prefix.root())};
    const auto names = enumerate(fs, "C:\\Main\\*.pk3");
    CHECK(names.size() == 6000);
    CHECK(std::set<std::string>(names.begin(), names.end()).size() == 6000);
    CHECK(std::count(names.begin(), names.end(), "mod_5999.pk3") == 1);
}

}  // namespace
}  // namespace pakscour::test
