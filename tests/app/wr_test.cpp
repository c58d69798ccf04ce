#include <doctest/doctest.h>

#include "prefix_rig.h"
#include "registry/wr.h"

using namespace pakscour;
using namespace pakscour::test;

namespace {

const char* const key = "HKEY_LOCAL_MACHINE\\Software\\Vendor\\Game";

struct WrRig {
    explicit WrRig(const std::string& values)
        : store((prefix.write_system_reg("[Software\\\\Vendor\\\\Game] 1700000000\n" + values),
                 prefix.root())),
          wr(store, app) {}
    TempPrefix prefix;
    posix::PosixRegistryStore store;
    RecordingApp app;
    WR wr;
};

}  // namespace

TEST_CASE("root key names map to their handles, exactly") {
    CHECK(hive_from_name("HKEY_CLASSES_ROOT") == 0x80000000u);
    CHECK(hive_from_name("HKEY_LOCAL_MACHINE") == 0x80000002u);
    CHECK(hive_from_name("HKEY_DYN_DATA") == 0x80000006u);
    CHECK(hive_from_name("HKLM") == 0);
    CHECK(hive_from_name("hkey_local_machine") == 0);
    CHECK(hive_from_name("HKEY_LOCAL_MACHINE ") == 0);
}

TEST_CASE("a key path splits into root handle and sub-key path") {
    WrRig rig("");
    std::string path = "HKEY_CURRENT_USER\\Software\\A\\B";
    RegHandle hive = 1;
    rig.wr.split_key_path(path, hive);
    CHECK(hive == 0x80000001u);
    CHECK(path == "Software\\A\\B");

    path = "HKEY_LOCAL_MACHINE";
    rig.wr.split_key_path(path, hive);
    CHECK(hive == 0x80000002u);
    CHECK(path.empty());
    CHECK(rig.app.boxes.empty());
}

TEST_CASE("malformed key paths show the format message and read nothing") {
    WrRig rig("\"InstallPath\"=\"C:\\\\Games\\\\CoD\"\n");
    REQUIRE(rig.wr.get_reg_string(key, "InstallPath") == "C:\\Games\\CoD");
    for (const char* bad : {"HKEY_LOCAL_MACHINE\\Software\\", "hkey_local_machine\\Software", "",
                            "HKEY", "Software\\Vendor\\Game"}) {
        CAPTURE(bad);
        rig.app.boxes.clear();
        CHECK(rig.wr.get_reg_string(bad, "InstallPath").empty());
        REQUIRE(rig.app.boxes.size() == 1);
        CHECK(rig.app.boxes[0].text == std::string("Incorrect Format:\n\n") + bad);
        CHECK(rig.app.boxes[0].title == "Pakscour");
    }
    // Unknown roots pass the format check and read nothing, silently.
    rig.app.boxes.clear();
    CHECK(rig.wr.get_reg_string("HKEY_FOO\\Software", "InstallPath").empty());
    CHECK(rig.wr.get_reg_string("HKEY_", "InstallPath").empty());
    CHECK(rig.wr.get_reg_string("HKEY_LOCAL\\Software\\Vendor\\Game", "InstallPath").empty());
    CHECK(rig.app.boxes.empty());
}

TEST_CASE("values read as text") {
    const std::string s254(254, 'x');
    const std::string s255(255, 'y');
    WrRig rig(
        "\"Path\"=\"C:\\\\Games\\\\CoD\"\n"
        "\"Long254\"=\"" +
        s254 +
        "\"\n"
        "\"Long255\"=\"" +
        s255 +
        "\"\n"
        "\"Empty\"=\"\"\n"
        "\"Blanks\"=\"   \"\n"
        "\"Padded\"=\"  a b  \"\n"
        "\"NoNul\"=hex(1):61,00,62,00,63,00\n"
        "\"Multi\"=str(7):\"first\\0second\\0\"\n"
        "\"Count\"=dword:0000002a\n"
        "\"Nothing\"=hex:\n"
        "\"Bytes\"=hex:41,42,00,43\n");
    struct Case {
        const char* value;
        std::string expected;
    };
    const Case cases[] = {
        {"Path", "C:\\Games\\CoD"},
        {"path", "C:\\Games\\CoD"},
        {"Long254", s254},
        {"Long255", ""},
        {"Empty", ""},
        {"Blanks", ""},
        {"Padded", "a b  "},
        {"NoNul", "abc"},
        {"Multi", "first"},
        {"Count", "*"},
        {"Nothing", ""},
        {"Bytes", "AB"},
        {"Missing", ""},
    };
    for (const Case& c : cases) {
        CAPTURE(c.value);
        CHECK(rig.wr.get_reg_string(key, c.value) == c.expected);
    }
    CHECK(rig.wr.get_reg_string("HKEY_LOCAL_MACHINE\\Software\\Vendor\\Other", "Path").empty());
    CHECK(rig.wr.get_reg_string("HKEY_LOCAL_MACHINE", "Path").empty());
    CHECK(rig.app.boxes.empty());
}
