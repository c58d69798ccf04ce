#include <sys/stat.h>

#include <doctest/doctest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/posix/posix_registry_store.h"
#include "registry_rig.h"

namespace pakscour {

using namespace std::string_literals;
using posix::PosixRegistryStore;
using test::hkcr;
using test::hkcu;
using test::hklm;
using test::link_key;
using test::read_at;
using test::read_value;
using test::reg_header;
using test::TempDir;

namespace {

const char* const cod = "Software\\Activision\\Call of Duty";

// A prefix with the given system.reg and user.reg bodies (after the header line).
struct Prefix {
    TempDir dir;
    explicit Prefix(const std::string& system, const std::string& user = "") {
        dir.write("system.reg", reg_header + system);
        dir.write("user.reg", reg_header + user);
    }
};

std::string game_block(const std::string& escaped_key, const std::string& install_path) {
    return "[" + escaped_key + "] 1700000000\n\"InstallPath\"=\"" + install_path + "\"\n\n";
}

}  // namespace

TEST_CASE("a game's key reads back from system.reg, in any case") {
    Prefix prefix(R"reg([Software\\Activision\\Call of Duty] 1700000000
#time=1d9a1b2c3d4e5f6
"InstallPath"="C:\\Games\\CoD"
"Version"="1.5"
@="default"
)reg");
    PosixRegistryStore store(prefix.dir.root());
    const auto path = read_at(store, hklm, cod, "InstallPath");
    CHECK(path.status == reg::success);
    CHECK(path.type == reg::reg_sz);
    CHECK(path.data() == "C:\\Games\\CoD\0"s);
    CHECK(read_at(store, hklm, "SOFTWARE\\activision\\CALL OF DUTY", "installpath").data() ==
          "C:\\Games\\CoD\0"s);
    CHECK(read_at(store, hklm, cod, "Version").data() == "1.5\0"s);
    CHECK(read_at(store, hklm, cod, "").data() == "default\0"s);
    CHECK(read_at(store, hklm, "Software\\\\Activision\\Call of Duty\\", "Version").data() ==
          "1.5\0"s);
}

TEST_CASE("keys that are only parents open, and the empty path opens the root") {
    Prefix prefix("[Software\\\\A\\\\B] 1\n\"x\"=\"1\"\n[]\n\"RootValue\"=\"r\"\n");
    PosixRegistryStore store(prefix.dir.root());
    for (const char* path : {"Software", "Software\\A", "software\\a\\b", ""}) {
        CAPTURE(path);
        RegHandle key = 0;
        CHECK(store.open_key(hklm, path, reg::key_read, key) == reg::success);
        CHECK(key != 0);
        CHECK(store.close_key(key) == reg::success);
    }
    CHECK(read_at(store, hklm, "", "RootValue").data() == "r\0"s);
    CHECK(read_at(store, hklm, "Software\\A\\C", "x").status == reg::file_not_found);
    CHECK(read_at(store, hklm, "Software\\A", "x").status == reg::file_not_found);
}

TEST_CASE("the roots: machine, user, classes; the others hold nothing") {
    Prefix prefix(game_block("Software\\\\Classes\\\\.pk3", "classes") +
                      game_block("Software\\\\Game", "machine"),
                  game_block("Software\\\\Game", "user"));
    PosixRegistryStore store(prefix.dir.root());
    CHECK(read_at(store, hklm, "Software\\Game", "InstallPath").data() == "machine\0"s);
    CHECK(read_at(store, hkcu, "Software\\Game", "InstallPath").data() == "user\0"s);
    CHECK(read_at(store, hkcr, ".pk3", "InstallPath").data() == "classes\0"s);
    CHECK(read_at(store, hkcr, "Software\\Game", "InstallPath").status == reg::file_not_found);
    for (RegHandle root : {0x80000003u, 0x80000004u, 0x80000005u, 0x80000006u}) {
        CAPTURE(root);
        RegHandle key = 7;
        CHECK(store.open_key(root, "Software\\Game", reg::key_read, key) == reg::file_not_found);
        CHECK(store.open_key(root, "", reg::key_read, key) == reg::file_not_found);
        CHECK(key == 0);
    }
}

TEST_CASE("handles are small, distinct and live until closed") {
    Prefix prefix(game_block("Software\\\\Game", "C:\\\\G"));
    PosixRegistryStore store(prefix.dir.root());
    RegHandle a = 0;
    RegHandle b = 0;
    REQUIRE(store.open_key(hklm, "Software\\Game", reg::key_read, a) == reg::success);
    REQUIRE(store.open_key(hklm, "Software", reg::key_read, b) == reg::success);
    CHECK(a != 0);
    CHECK(b != 0);
    CHECK(a != b);
    CHECK(a < 0x80000000u);
    CHECK(b < 0x80000000u);
    // A key opened relative to an open key.
    RegHandle c = 0;
    REQUIRE(store.open_key(b, "game", reg::key_read, c) == reg::success);
    CHECK(read_value(store, c, "InstallPath").data() == "C:\\G\0"s);

    CHECK(store.close_key(a) == reg::success);
    CHECK(store.close_key(a) == reg::invalid_handle);
    CHECK(read_value(store, a, "InstallPath").status == reg::invalid_handle);
    RegHandle from_closed = 0;
    CHECK(store.open_key(a, "", reg::key_read, from_closed) == reg::invalid_handle);
    CHECK(read_value(store, b, "Game").status == reg::file_not_found);
    CHECK(store.close_key(b) == reg::success);
    CHECK(store.close_key(c) == reg::success);
    for (RegHandle never : {0u, 12345u, 0x7fffffffu, 0x80000010u}) {
        CAPTURE(never);
        CHECK(store.close_key(never) == reg::invalid_handle);
        CHECK(read_value(store, never, "InstallPath").status == reg::invalid_handle);
    }
}

TEST_CASE("data of 255 bytes fits a 255-byte buffer, 256 bytes are more data") {
    struct Case {
        std::string text;  // stored with its NUL
        std::int32_t status;
    };
    const std::string e_acute = "\xc3\xa9";
    std::string e127;
    std::string e128;
    for (int i = 0; i < 127; ++i) e127 += e_acute;
    e128 = e127 + e_acute;
    const Case cases[] = {
        {std::string(254, 'x'), reg::success},
        {std::string(255, 'x'), reg::more_data},
        {std::string(400, 'x'), reg::more_data},
        // The limit counts UTF-8 bytes.
        {e127, reg::success},
        {e128, reg::more_data},
        {"", reg::success},
    };
    for (const Case& c : cases) {
        CAPTURE(c.text.size());
        Prefix prefix("[K]\n\"v\"=\"" + c.text + "\"\n");
        PosixRegistryStore store(prefix.dir.root());
        const auto r = read_at(store, hklm, "K", "v");
        CHECK(r.status == c.status);
        CHECK(r.size == c.text.size() + 1);
        CHECK(r.type == reg::reg_sz);
        if (c.status == reg::more_data) {
            CHECK(r.buffer == std::vector<std::uint8_t>(255, ' '));
        } else {
            CHECK(r.data() == c.text + '\0');
        }
    }
}

TEST_CASE("bytes after the data keep their contents, and the type is the value's own") {
    Prefix prefix(R"reg([K]
"Short"="abc"
"Count"=dword:0000002a
"Blob"=hex:01,02
"Empty"=hex:
)reg");
    PosixRegistryStore store(prefix.dir.root());
    RegHandle key = 0;
    REQUIRE(store.open_key(hklm, "K", reg::key_read, key) == reg::success);
    struct Case {
        const char* name;
        std::uint32_t type;
        std::string data;
    };
    const Case cases[] = {{"Short", 1, "abc\0"s},
                          {"Count", 4, "\x2a\0\0\0"s},
                          {"Blob", 3, "\1\2"s},
                          {"Empty", 3, ""s}};
    for (const Case& c : cases) {
        CAPTURE(c.name);
        const auto r = read_value(store, key, c.name);
        CHECK(r.status == reg::success);
        CHECK(r.type == c.type);
        CHECK(r.data() == c.data);
        CHECK(std::vector<std::uint8_t>(r.buffer.begin() + static_cast<std::ptrdiff_t>(r.size),
                                        r.buffer.end()) ==
              std::vector<std::uint8_t>(255 - c.data.size(), ' '));
    }
    // A missing value leaves everything as it was.
    auto missing = read_value(store, key, "Nope");
    CHECK(missing.status == reg::file_not_found);
    CHECK(missing.type == reg::reg_sz);
    CHECK(missing.size == 255);
    CHECK(missing.buffer == std::vector<std::uint8_t>(255, ' '));
    CHECK(store.close_key(key) == reg::success);
}

TEST_CASE("a size larger than the buffer itself never writes past it") {
    Prefix prefix("[K]\n\"v\"=\"0123456789\"\n");
    PosixRegistryStore store(prefix.dir.root());
    RegHandle key = 0;
    REQUIRE(store.open_key(hklm, "K", reg::key_read, key) == reg::success);
    std::vector<std::uint8_t> small(4, '-');
    std::uint32_t type = 0;
    std::uint32_t size = 255;
    CHECK(store.query_value(key, "v", type, small, size) == reg::more_data);
    CHECK(small == std::vector<std::uint8_t>(4, '-'));
    CHECK(size == 11);
}

TEST_CASE("on a 64-bit prefix, Software keys are looked up as a 32-bit program sees them") {
    const std::string both =
        game_block("Software\\\\Wow6432Node\\\\Activision\\\\Call of Duty", "wow") +
        game_block("Software\\\\Activision\\\\Call of Duty", "plain") +
        game_block("Software\\\\Activision\\\\Call of Duty 2", "plain2") +
        game_block("Software\\\\Classes\\\\Wow6432Node\\\\CLSID\\\\X", "wowc") +
        game_block("Software\\\\Classes\\\\CLSID\\\\X", "plainc") +
        game_block("Software\\\\Classes\\\\CLSID\\\\Y", "plainy");
    struct Case {
        const char* arch;
        RegHandle root;
        const char* path;
        const char* expected;
    };
    const Case cases[] = {
        {"#arch=win64\n", hklm, cod, "wow"},
        {"#arch=win64\n", hklm, "software\\activision\\call of duty", "wow"},
        {"#arch=win64\n", hklm, "Software\\Activision\\Call of Duty 2", "plain2"},
        {"#arch=win64\n", hklm, "Software\\Wow6432Node\\Activision\\Call of Duty", "wow"},
        {"#arch=win64\n", hklm, "Software\\Classes\\CLSID\\X", "wowc"},
        {"#arch=win64\n", hklm, "Software\\Classes\\CLSID\\Y", "plainy"},
        {"#arch=win64\n", hkcr, "CLSID\\X", "wowc"},
        {"#arch=win64\n", hkcr, "CLSID\\Y", "plainy"},
        {"#arch=win32\n", hklm, cod, "plain"},
        {"", hklm, cod, "plain"},
        {"", hkcr, "CLSID\\X", "plainc"},
        {"", hklm, "Software\\Wow6432Node\\Activision\\Call of Duty", "wow"},
    };
    for (const Case& c : cases) {
        CAPTURE(c.arch);
        CAPTURE(c.path);
        Prefix prefix(c.arch + both);
        PosixRegistryStore store(prefix.dir.root());
        CHECK(read_at(store, c.root, c.path, "InstallPath").data() == c.expected + "\0"s);
    }
}

TEST_CASE("the user's Software keys are shared by both views, the user's classes are not") {
    Prefix prefix("", "#arch=win64\n" + game_block("Software\\\\Wow6432Node\\\\Game", "wow") +
                          game_block("Software\\\\Game", "plain") +
                          game_block("Software\\\\Classes\\\\Wow6432Node\\\\X", "wowc") +
                          game_block("Software\\\\Classes\\\\X", "plainc"));
    PosixRegistryStore store(prefix.dir.root());
    CHECK(read_at(store, hkcu, "Software\\Game", "InstallPath").data() == "plain\0"s);
    CHECK(read_at(store, hkcu, "Software\\Classes\\X", "InstallPath").data() == "wowc\0"s);
}

TEST_CASE("link keys are followed, on the way and at the end") {
    Prefix prefix(game_block("Software\\\\Real\\\\Game", "real") +
                      "[Software\\\\Real]\n\"Own\"=\"own\"\n" +
                      link_key("Software\\\\Alias", "Software\\Real") +
                      link_key("Software\\\\Hop1", "Software\\Alias") +
                      link_key("Software\\\\Dangling", "Software\\Nowhere") +
                      link_key("Software\\\\Outside", "..\\User\\Software") +
                      "[Software\\\\NoTarget]\n#link\n\n" +
                      "[Software\\\\Marked]\n#link\n\"SymbolicLinkValue\"=\"\\\\Registry\\\\"
                      "Machine\\\\Software\\\\Real\"\n",
                  link_key("Software\\\\ToMachine", "Software\\Real"));
    PosixRegistryStore store(prefix.dir.root());
    CHECK(read_at(store, hklm, "Software\\Alias\\Game", "InstallPath").data() == "real\0"s);
    CHECK(read_at(store, hklm, "software\\alias", "Own").data() == "own\0"s);
    CHECK(read_at(store, hklm, "Software\\Hop1\\Game", "InstallPath").data() == "real\0"s);
    CHECK(read_at(store, hkcu, "Software\\ToMachine\\Game", "InstallPath").data() == "real\0"s);
    CHECK(read_at(store, hklm, "Software\\Alias", "SymbolicLinkValue").status ==
          reg::file_not_found);
    for (const char* broken : {"Software\\Dangling", "Software\\Outside", "Software\\NoTarget",
                               "Software\\Marked", "Software\\NoTarget\\Game"}) {
        CAPTURE(broken);
        RegHandle key = 0;
        CHECK(store.open_key(hklm, broken, reg::key_read, key) == reg::file_not_found);
    }
}

TEST_CASE("a loop of links, or too long a chain, finds nothing and ends") {
    std::string chain = game_block("Software\\\\End", "end");
    for (int i = 1; i <= 9; ++i) {
        const std::string next = i == 9 ? "Software\\End" : "Software\\L" + std::to_string(i + 1);
        chain += link_key("Software\\\\L" + std::to_string(i), next);
    }
    Prefix prefix(chain + link_key("Software\\\\A", "Software\\B") +
                  link_key("Software\\\\B", "Software\\A") +
                  link_key("Software\\\\Self", "Software\\Self\\Deeper"));
    PosixRegistryStore store(prefix.dir.root());
    // L2 .. L9 are eight links to the end; L1 is nine.
    CHECK(read_at(store, hklm, "Software\\L2", "InstallPath").data() == "end\0"s);
    CHECK(read_at(store, hklm, "Software\\L1", "InstallPath").status == reg::file_not_found);
    for (const char* loop : {"Software\\A", "Software\\B\\X", "Software\\Self"}) {
        CAPTURE(loop);
        RegHandle key = 0;
        CHECK(store.open_key(hklm, loop, reg::key_read, key) == reg::file_not_found);
    }
}

TEST_CASE("missing, foreign or unreadable registry files read as no keys") {
    struct Case {
        const char* what;
        void (*make)(const std::filesystem::path& root);
    };
    const Case cases[] = {
        {"no files", [](const std::filesystem::path&) {}},
        {"a regedit export",
         [](const std::filesystem::path& root) {
             std::ofstream(root / "system.reg")
                 << "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Software\\"
                    "Activision\\Call of Duty]\n\"InstallPath\"=\"C:\\\\Games\\\\CoD\"\n";
         }},
        {"binary bytes",
         [](const std::filesystem::path& root) {
             std::ofstream(root / "system.reg", std::ios::binary) << std::string("\0\xff\n[", 4);
         }},
        {"a folder",
         [](const std::filesystem::path& root) {
             std::filesystem::create_directory(root / "system.reg");
             std::filesystem::create_directory(root / "user.reg");
         }},
        // Reading a named pipe would wait for a writer for ever.
        {"a named pipe",
         [](const std::filesystem::path& root) {
             REQUIRE(mkfifo((root / "system.reg").c_str(), 0600) == 0);
             REQUIRE(mkfifo((root / "user.reg").c_str(), 0600) == 0);
         }},
    };
    for (const Case& c : cases) {
        CAPTURE(c.what);
        TempDir dir;
        c.make(dir.root());
        PosixRegistryStore store(dir.root());
        CHECK(read_at(store, hklm, cod, "InstallPath").status == reg::file_not_found);
        CHECK(read_at(store, hklm, "Software", "").status == reg::file_not_found);
        CHECK(read_at(store, hkcu, "Software", "").status == reg::file_not_found);
        CHECK(read_at(store, hkcr, "", "").status == reg::file_not_found);
    }
}

TEST_CASE("the files are read once, when the store is made, and never written") {
    Prefix prefix(game_block("Software\\\\Game", "first"));
    const auto file = prefix.dir.root() / "system.reg";
    const auto read_file = [&] {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    };
    const std::string before = read_file();
    PosixRegistryStore store(prefix.dir.root());
    prefix.dir.write("system.reg", reg_header + game_block("Software\\\\Game", "second"));
    CHECK(read_at(store, hklm, "Software\\Game", "InstallPath").data() == "first\0"s);
    prefix.dir.write("system.reg", before);
    CHECK(read_at(store, hklm, "Software\\Game", "InstallPath").status == reg::success);
    CHECK(read_file() == before);
    CHECK(std::distance(std::filesystem::directory_iterator(prefix.dir.root()),
                        std::filesystem::directory_iterator()) == 2);
}

}  // namespace pakscour
