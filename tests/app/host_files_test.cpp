// The small readers of the Linux game search: size-limited file reads, Lutris game files and
// host paths in Wine's form, and the search of Proton prefixes' registries.
#include <doctest/doctest.h>

#include "home_rig.h"
#include "platform/posix/host_files.h"
#include "platform/posix/launcher_yaml.h"
#include "platform/posix/proton_prefixes.h"

using namespace pakscour;
using namespace pakscour::test;
using posix::lutris_prefix;
using posix::read_small_file;
using posix::wine_host_path;

TEST_CASE("files are read up to the limit, through links; growing files are held to it") {
    TempFolder dir;
    write_text(dir / "exact", std::string(16, 'a'));
    write_text(dir / "over", std::string(17, 'a'));
    fs::create_symlink("exact", dir / "link");
    CHECK(read_small_file(dir / "exact", 16) == std::string(16, 'a'));
    CHECK(read_small_file(dir / "link", 16) == std::string(16, 'a'));
    CHECK_FALSE(read_small_file(dir / "over", 16));
    // The system does not know this file's size in advance.
    CHECK_FALSE(read_small_file("/proc/self/maps", 16));
    CHECK(read_small_file("/proc/self/maps")->size() > 16);
}

TEST_CASE("the prefix of a Lutris game file") {
    struct Case {
        const char* yaml;
        std::optional<std::string> prefix;
    };
    const Case cases[] = {
        {"game:\n  exe: /g/x.exe\n  prefix: /home/p/Games/cod\nwine:\n  version: x\n",
         "/home/p/Games/cod"},
        {"game:\r\n  prefix: '/home/p/it''s here'\r\n", "/home/p/it's here"},
        {"game:\n  prefix: \"/home/p/q\\\"d\"  \n", "/home/p/q\"d"},
        {"game:\n  prefix: ~/Games/x # installed 2024\n", "/home/p/Games/x"},
        {"game:\n  prefix_arch: win64\n  prefix: /a\n", "/a"},
        {"game:\n  prefix: relative/x\n", std::nullopt},
        {"game:\n  prefix:\n", std::nullopt},
        {"game:\n  prefix: '/a' junk\n", std::nullopt},
        {"game: [\n  prefix: /a\n", std::nullopt},
        {"game:\n  prefix: ~\n", std::nullopt},
        {"game:\n  exe: /g/x.exe\n", std::nullopt},
    };
    for (const Case& c : cases) {
        CAPTURE(c.yaml);
        CHECK(lutris_prefix(c.yaml, "/home/p") == c.prefix);
    }
}

TEST_CASE("host paths in Wine's form") {
    CHECK(wine_host_path("/home/p/.steam/steam/steamapps/common/Call of Duty") ==
          "Z:\\home\\p\\.steam\\steam\\steamapps\\common\\Call of Duty");
    CHECK(wine_host_path("/") == "Z:\\");
    CHECK(wine_host_path("/a//b/./c/../d/") == "Z:\\a\\b\\d");
    // Names Windows refuses are kept: such a folder is read through its host path.
    CHECK(wine_host_path("/a/Disk 2: Spiele für Wine/dot./blank ") ==
          "Z:\\a\\Disk 2: Spiele für Wine\\dot.\\blank ");
    for (const char* bad : {"relative/x", "/a/b\\c", "/a/\xff", "/a/tab\there"}) {
        CAPTURE(bad);
        CHECK_FALSE(wine_host_path(bad));
    }
}

TEST_CASE("a registry file mentions the games wherever the key falls, in any case") {
    TempFolder dir;
    const std::string header = "[Software\\\\Wow6432Node\\\\ACTIVISION\\\\call of duty 2] 17\n";
    const std::size_t needle_at = 23;  // where "Activision" starts in the header
    // The key at the start, across the end of the first and of the second block read (the
    // second holds the first's last 23 bytes ahead of its own), and at the very end.
    for (const std::size_t start : {std::size_t{0}, std::size_t{262144} - 10,
                                    std::size_t{262144 + 262144 - 23} - 5, std::size_t{700000}}) {
        CAPTURE(start);
        const std::string before(start - std::min(start, needle_at), 'x');
        write_text(dir / "system.reg", before + header);
        CHECK(posix::registry_mentions_games(dir / "system.reg"));
        write_text(dir / "system.reg", before + "[Software\\\\Activision\\\\Call of Dut]\n");
        CHECK_FALSE(posix::registry_mentions_games(dir / "system.reg"));
    }
    CHECK_FALSE(posix::registry_mentions_games(dir / "missing.reg"));
    CHECK_FALSE(posix::registry_mentions_games(dir.root()));
}
