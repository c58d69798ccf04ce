#include <doctest/doctest.h>

#include <string>
#include <vector>

#include "platform/posix/wine_registry_lookup.h"
#include "platform/posix/wine_registry_parser.h"
#include "registry_rig.h"

namespace pakscour {

using namespace std::string_literals;
using posix::parse_wine_registry;
using posix::WineKeyRef;
using posix::WineRegistryTree;
using posix::WineValue;
using test::reg_header;

namespace {

const WineValue* find_value(const WineRegistryTree& tree, const std::string& path,
                            const std::string& name) {
    const auto key = posix::find_wine_key(WineKeyRef{&tree, WineRegistryTree::root}, path, tree);
    return key ? tree.value(key->id, name) : nullptr;
}

std::string data_of(const WineValue* value) {
    return value == nullptr ? "<missing>"s : std::string(value->data.begin(), value->data.end());
}

}  // namespace

TEST_CASE("every form of value data reads with its type and bytes") {
    struct Case {
        const char* line;
        std::uint32_t type;
        std::string data;
    };
    const Case cases[] = {
        {R"("v"="C:\\Games\\CoD")", 1, "C:\\Games\\CoD\0"s},
        {R"("v"="")", 1, "\0"s},
        {R"("v" = "spaced")", 1, "spaced\0"s},
        {R"("v"=str(2):"%ProgramFiles%\\G")", 2, "%ProgramFiles%\\G\0"s},
        {R"("v"=str(7):"a\0b\0")", 7, "a\0b\0\0"s},
        {R"("v"=dword:0000002a)", 4, "\x2a\0\0\0"s},
        {R"("v"=dword:ffffffff)", 4, "\xff\xff\xff\xff"s},
        {R"("v"=dword:1)", 4, "\1\0\0\0"s},
        {R"("v"=hex:00,01,ff)", 3, "\0\1\xff"s},
        {R"("v"=hex:)", 3, ""s},
        {R"("v"=hex(0):7f)", 0, "\x7f"s},
        {R"("v"=hex(100):01,02)", 0x100, "\1\2"s},
        {R"("v"=hex(b):01,00,00,00,00,00,00,00)", 11, "\1\0\0\0\0\0\0\0"s},
        // String types written as hex hold UTF-16LE; the store hands out UTF-8.
        {R"("v"=hex(2):41,00,e9,00,00,00)", 2, "A\xc3\xa9\0"s},
        {R"("v"=hex(7):61,00,00,00,62,00,00,00,00,00)", 7, "a\0b\0\0"s},
        {R"("v"=hex(1):3d,d8,00,de)", 1, "\xf0\x9f\x98\x80"s},
        {R"("v"=hex(1):00,d8,41,00)", 1,
         "\xef\xbf\xbd"
         "A"s},
        {R"("v"=hex(1):41)", 1, "\xef\xbf\xbd"s},
        // A link target stays raw UTF-16.
        {R"("v"=hex(6):5c,00,41,00)", 6, "\\\0A\0"s},
    };
    for (const Case& c : cases) {
        CAPTURE(c.line);
        const auto tree = parse_wine_registry(reg_header + "[K]\n" + c.line + "\n");
        const WineValue* value = find_value(tree, "K", "v");
        REQUIRE(value != nullptr);
        CHECK(value->type == c.type);
        CHECK(data_of(value) == c.data);
    }
}

TEST_CASE("escapes and UTF-8 in string data read as UTF-8") {
    struct Case {
        const char* written;
        std::string text;
    };
    const Case cases[] = {
        {R"(\\ \" \[ \])", "\\ \" [ ]"},
        {R"(\a\b\t\n\v\f\r\e)", "\a\b\t\n\v\f\r\x1b"},
        {R"(a\0b)", "a\0b"s},
        {R"(\101\1234)", "AS4"},
        {R"(\7z)", "\az"},
        {R"(\377)", "\xc3\xbf"},
        {R"(\x41\x00e9)", "A\xc3\xa9"},
        {R"(\x41BCz)", "\xe4\x86\xbcz"},
        {R"(\xd83d\xde00)", "\xf0\x9f\x98\x80"},
        {R"(\xd800z)", "\xef\xbf\xbdz"},
        {R"(\xdc00\xd800)", "\xef\xbf\xbd\xef\xbf\xbd"},
        {R"(\q\x)", "qx"},
        {"\\\xc3\xa9 \xc3\xa9 \xf0\x9f\x98\x80", "\xc3\xa9 \xc3\xa9 \xf0\x9f\x98\x80"},
        // Invalid UTF-8: a stray byte, a cut sequence, an overlong form, an encoded surrogate.
        {"\xff|\xe2\x82|\xc0\x80|\xed\xa0\x80",
         "\xef\xbf\xbd|\xef\xbf\xbd\xef\xbf\xbd|\xef\xbf\xbd\xef\xbf\xbd|"
         "\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd"},
    };
    for (const Case& c : cases) {
        CAPTURE(c.written);
        const auto tree = parse_wine_registry(reg_header + "[K]\n\"v\"=\"" + c.written + "\"\n");
        CHECK(data_of(find_value(tree, "K", "v")) == c.text + '\0');
    }
}

TEST_CASE("key and value names take escapes, keep their case and are found in any case") {
    const auto tree = parse_wine_registry(reg_header + R"reg([Software\\Caf\x00e9\\A\]B] 1
"Say \"hi\""="1"
@="default"
"Mixed"="2"
)reg");
    const auto key = posix::find_wine_key(WineKeyRef{&tree, WineRegistryTree::root},
                                          "SOFTWARE\\caf\xc3\xa9\\a]b", tree);
    REQUIRE(key);
    CHECK(tree.name(key->id) == "A]B");
    CHECK(data_of(tree.value(key->id, "say \"HI\"")) == "1\0"s);
    CHECK(data_of(tree.value(key->id, "")) == "default\0"s);
    REQUIRE(tree.value(key->id, "MIXED") != nullptr);
    CHECK(tree.value(key->id, "MIXED")->name == "Mixed");
    CHECK(tree.value(key->id, "Mixe") == nullptr);
}

TEST_CASE("parents exist without blocks of their own, and repeated blocks merge") {
    const auto tree = parse_wine_registry(reg_header + R"reg([A\\B\\C] 1
"x"="1"

[a\\b] 2
"y"="2"

[A\\B\\C] 3
"x"="3"
"z"="4"
)reg");
    const WineKeyRef root{&tree, WineRegistryTree::root};
    CHECK(posix::find_wine_key(root, "A", tree));
    CHECK(posix::find_wine_key(root, "A\\B", tree));
    CHECK(posix::find_wine_key(root, "A\\B\\C\\D", tree) == std::nullopt);
    CHECK(data_of(find_value(tree, "A\\B", "y")) == "2\0"s);
    CHECK(data_of(find_value(tree, "a\\b\\c", "x")) == "3\0"s);
    CHECK(data_of(find_value(tree, "a\\b\\c", "z")) == "4\0"s);
    CHECK(tree.key_count() == 4);
}

TEST_CASE("hex data continues over lines ending with a backslash") {
    const auto tree = parse_wine_registry(reg_header + "[K]\n" +
                                          "\"Blob\"=hex:00,01,02,\\\n"
                                          "  03,04,\\\r\n"
                                          "\t05\n"
                                          "\"Wide\"=hex(2):41,00,\\\n"
                                          "  42,00,00,00\n"
                                          "\"After\"=dword:00000007\n");
    CHECK(data_of(find_value(tree, "K", "Blob")) == "\0\1\2\3\4\5"s);
    CHECK(data_of(find_value(tree, "K", "Wide")) == "AB\0"s);
    CHECK(data_of(find_value(tree, "K", "After")) == "\7\0\0\0"s);
}

TEST_CASE("CR LF line ends read like LF") {
    const auto tree = parse_wine_registry(
        "WINE REGISTRY Version 2\r\n\r\n#arch=win64\r\n[Software\\\\Game] 1\r\n"
        "\"InstallPath\"=\"C:\\\\G\"\r\n\"N\"=dword:00000002\r\n\"B\"=hex:01,\\\r\n  02\r\n");
    CHECK(tree.win64());
    CHECK(data_of(find_value(tree, "Software\\Game", "InstallPath")) == "C:\\G\0"s);
    CHECK(data_of(find_value(tree, "Software\\Game", "N")) == "\2\0\0\0"s);
    CHECK(data_of(find_value(tree, "Software\\Game", "B")) == "\1\2"s);
}

TEST_CASE("a malformed line is skipped and the rest of the file still reads") {
    const char* const bad_lines[] = {
        R"("v"="no closing quote)",
        R"("v"="ends in a backslash\)",
        R"("v"=dword:123456789)",
        R"("v"=dword:)",
        R"("v"=dword:xyz)",
        R"("v"=dword:12 34)",
        R"("v"=hex:01,02,zz)",
        R"("v"=hex:100)",
        R"("v"=hex(2:00)",
        R"("v"=hex():00)",
        R"t("v"=str(2)"x")t",
        R"("v"=str(2):x)",
        R"("v"=foo:"x")",
        R"("v"=)",
        R"("v" "x")",
        R"("v)",
        R"(@)",
        R"(@x="1")",
        "garbage without a form",
        "\"v\"=hex:01,\\",  // continues onto the next value line: neither is lost twice
    };
    for (const char* bad : bad_lines) {
        CAPTURE(bad);
        const auto tree = parse_wine_registry(reg_header + "[K]\n\"before\"=\"a\"\n" + bad +
                                              "\n\"after\"=\"b\"\n[L]\n\"x\"=dword:00000001\n");
        const WineKeyRef root{&tree, WineRegistryTree::root};
        const auto key = posix::find_wine_key(root, "K", tree);
        REQUIRE(key);
        CHECK(tree.value(key->id, "v") == nullptr);
        CHECK(tree.value(key->id, "") == nullptr);
        CHECK(data_of(tree.value(key->id, "before")) == "a\0"s);
        CHECK(data_of(tree.value(key->id, "after")) == "b\0"s);
        CHECK(data_of(find_value(tree, "L", "x")) == "\1\0\0\0"s);
    }
}

TEST_CASE("a continuation that never comes loses only its own value") {
    const auto tree = parse_wine_registry(reg_header +
                                          "[K]\n\"Blob\"=hex:01,\\\n[Next]\n\"x\"=\"1\"\n"
                                          "[Last]\n\"Cut\"=hex:01,\\");
    CHECK(find_value(tree, "K", "Blob") == nullptr);
    CHECK(data_of(find_value(tree, "Next", "x")) == "1\0"s);
    CHECK(posix::find_wine_key(WineKeyRef{&tree, WineRegistryTree::root}, "Last", tree));
    CHECK(find_value(tree, "Last", "Cut") == nullptr);
}

TEST_CASE("values after a malformed key header, or before any, belong to no key") {
    const auto tree = parse_wine_registry(reg_header + R"reg("early"="0"
[Good] 1
"a"="1"
[Bad\\Header
"b"="2"
[Good\\Child] 1
"c"="3"
)reg");
    const WineKeyRef root{&tree, WineRegistryTree::root};
    CHECK(tree.value(WineRegistryTree::root, "early") == nullptr);
    CHECK(find_value(tree, "Good", "b") == nullptr);
    CHECK(posix::find_wine_key(root, "Bad", tree) == std::nullopt);
    CHECK(data_of(find_value(tree, "Good", "a")) == "1\0"s);
    CHECK(data_of(find_value(tree, "Good\\Child", "c")) == "3\0"s);
}

TEST_CASE("comments, blanks, #time, #class and unknown # lines are skipped") {
    const auto tree = parse_wine_registry(reg_header + R"reg(; a comment
   ;; indented comment

[K] 1700000000
#time=1d9a1b2c3d4e5f6
#class="Shell"
#unknown directive
	  "v"="indented"
)reg");
    CHECK(data_of(find_value(tree, "K", "v")) == "indented\0"s);
    CHECK_FALSE(tree.is_link(tree.child(WineRegistryTree::root, "K").value()));
}

TEST_CASE("#arch says whether the prefix is 64-bit") {
    struct Case {
        std::string lines;
        bool win64;
    };
    const Case cases[] = {
        {"", false},
        {"#arch=win32\n", false},
        {"#arch=win64\n", true},
        {"#arch=win64\r\n", true},
        {"#arch=win64 \n", true},
        {"#arch=win6\n", false},
        {"#arch=win64x\n", false},
        {"#arch=win64\n#arch=win32\n", false},
    };
    for (const Case& c : cases) {
        CAPTURE(c.lines);
        CHECK(parse_wine_registry(reg_header + c.lines + "[K]\n").win64() == c.win64);
    }
}

TEST_CASE("only a file whose first line is the registry header reads") {
    const std::string body = "\n[K] 1\n\"v\"=\"1\"\n";
    CHECK(parse_wine_registry("WINE REGISTRY Version 2" + body).key_count() == 2);
    CHECK(parse_wine_registry("WINE REGISTRY Version 2\r" + body).key_count() == 2);
    const std::string not_registry[] = {
        "",
        "WINE REGISTRY Version 1",
        "WINE REGISTRY Version 2 ",
        " WINE REGISTRY Version 2",
        "wine registry version 2",
        "\xef\xbb\xbfWINE REGISTRY Version 2",
        "REGEDIT4",
        "Windows Registry Editor Version 5.00",
        "\n" + std::string("WINE REGISTRY Version 2"),
    };
    for (const std::string& first : not_registry) {
        CAPTURE(first);
        CHECK(parse_wine_registry(first + body).key_count() == 1);
    }
    CHECK(parse_wine_registry("WINE REGISTRY Version 2").key_count() == 1);
}

TEST_CASE("#link marks the key of its block, and its target is read from SymbolicLinkValue") {
    const auto tree = parse_wine_registry(
        reg_header + test::link_key("Software\\\\Wow6432Node\\\\Classes", "Software\\Classes") +
        "[Software\\\\Plain]\n#link\n\"SymbolicLinkValue\"=\"\\\\Registry\\\\Machine\\\\X\"\n" +
        "[Software\\\\Elsewhere]\n#link\n\"SymbolicLinkValue\"=hex(6):" +
        test::utf16_hex("\\Registry\\User\\S-1\\Software") + "\n");
    const WineKeyRef root{&tree, WineRegistryTree::root};
    const auto link = posix::find_wine_key(root, "Software\\Wow6432Node", tree)->id;
    const auto classes = tree.child(link, "Classes").value();
    CHECK(tree.is_link(classes));
    CHECK(posix::link_target(tree, classes) == "\\Software\\Classes");
    // Only a REG_LINK into the machine's keys is a target.
    const auto software = tree.child(WineRegistryTree::root, "Software").value();
    CHECK_FALSE(tree.is_link(software));
    CHECK(posix::link_target(tree, tree.child(software, "Plain").value()) == std::nullopt);
    CHECK(posix::link_target(tree, tree.child(software, "Elsewhere").value()) == std::nullopt);
}

}  // namespace pakscour
