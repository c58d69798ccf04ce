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

TEST_CASE("Proton registries: the games' keys found where Wine writes them, in any case") {
    // Keys in Wine's order: each after its parent, siblings by lower-cased name.
    auto keys = [](const std::string& below, int count) {
        std::string text;
        for (int i = 0; i < count; ++i) {
            const std::string name = "k" + std::to_string(10000 + i);
            text += "[" + below + "\\\\" + name +
                    "] 1700000000\n#time=1d9a1b2c3d4e5f6\n@=\"C:\\\\" + name + ".dll\"\n\n";
        }
        return text;
    };
    struct Case {
        const char* key;
        bool at_end;  // added by hand at the end, out of order
        bool found;
    };
    const Case cases[] = {
        {"Software\\\\Activision\\\\Call of Duty", false, true},
        {"Software\\\\Wow6432Node\\\\ACTIVISION\\\\call of duty 2", false, true},
        {"Software\\\\Wow6432Node\\\\Activision\\\\Call of Duty United Offensive\\\\1.0", false,
         true},
        {"Software\\\\Activision\\\\Call of Duty", true, true},
        {"Software\\\\Activision\\\\Call of Dut", false, false},
        {"Software\\\\Wow6432Node\\\\Activision2\\\\Call of Duty", false, false},
        {"Software\\\\Wow6432Node\\\\Activision\\\\Quake", false, false},
    };
    TempFolder dir;
    for (const Case& c : cases) {
        const std::string key = c.key;
        CAPTURE(key);
        const std::string block = std::string("[") + c.key + "] 1700000000\n\"A\"=\"C:\\\\G\"\n\n";
        const bool wow = std::string_view(c.key).find("Wow6432Node") != std::string_view::npos;
        std::string text =
            "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n"
            "#arch=win64\n\n";
        if (!c.at_end && !wow) text += block;
        text += keys("Software\\\\Classes\\\\CLSID", 3000) + keys("Software\\\\Microsoft", 500);
        if (!c.at_end && wow) text += block;
        text += keys("Software\\\\Wow6432Node\\\\Classes", 500) + keys("System", 300);
        if (c.at_end) text += block;
        write_text(dir / "system.reg", text);
        const auto games = posix::games_registry_text(dir / "system.reg");
        CHECK(games.has_value() == c.found);
        if (games) CHECK(games->find("#arch=win64\n\n" + block) != std::string::npos);
        // The key's text in a value is no key.
        write_text(dir / "value.reg", "WINE REGISTRY Version 2\n\n" + keys("A", 9) +
                                          "[B] 1\n\"P\"=\"" + c.key + "\"\n\n" + keys("C", 9));
        CHECK_FALSE(posix::games_registry_text(dir / "value.reg"));
    }
    CHECK_FALSE(posix::games_registry_text(dir / "missing.reg"));
    CHECK_FALSE(posix::games_registry_text(dir.root()));
}
