// Windows path texts mapped into a fake prefix: drive letters, case-insensitive components,
// "." and "..", trailing dots and spaces, and what is not there.
#include <doctest/doctest.h>

#include <cstdlib>
#include <optional>

#include "fake_prefix.h"
#include "platform/posix/wine_prefix.h"

namespace pakscour::test {
namespace {

using posix::WinePrefix;

std::string shown(const std::optional<fs::path>& p) {
    return p ? p->string() : "<none>";
}

TEST_CASE("existing Windows paths map to the prefix's folders, ignoring case") {
    FakePrefix prefix;
    prefix.file("Games/CoD/Main/pak0.pk3");
    fs::create_directories(prefix.root() / "drive_d" / "CoD2");
    fs::create_directory_symlink("../drive_d", prefix.root() / "dosdevices" / "d:");
    const WinePrefix wine(prefix.root());
    const fs::path c = prefix.root() / "dosdevices" / "c:";
    const fs::path main = c / "Games" / "CoD" / "Main";

    struct Case {
        const char* windows;
        std::optional<fs::path> host;
    };
    const Case cases[] = {
        {"C:\\Games\\CoD\\Main", main},
        {"c:\\games\\cod\\MAIN", main},
        {"C:/Games/CoD/Main/", main},
        {"C:\\Games\\\\CoD\\.\\Main\\", main},
        {"C:\\Games\\CoD\\uo\\..\\Main", main},
        {"C:\\..\\..\\Games\\CoD\\Main", main},
        {"C:\\Games.\\CoD  \\Main. .", main},
        {"C:\\GAMES\\COD\\MAIN\\PAK0.PK3", main / "pak0.pk3"},
        {"C:\\", c},
        {"C:", c},
        {"d:\\cod2", prefix.root() / "dosdevices" / "d:" / "CoD2"},
        {"C:\\Games\\CoD\\Missing", std::nullopt},
        {"C:\\Games\\CoD\\Main\\pak0.pk3\\x", std::nullopt},
        {"E:\\Games", std::nullopt},
        {"Games\\CoD", std::nullopt},
        {"\\Games\\CoD", std::nullopt},
        {"", std::nullopt},
        {"CC:\\Games", std::nullopt},
        {"C:Games", std::nullopt},
        {"C:\\Games\\Co?", std::nullopt},
        {"C:\\Games\\*", std::nullopt},
    };
    for (const Case& k : cases) {
        CAPTURE(k.windows);
        CHECK(shown(wine.existing(k.windows)) == shown(k.host));
    }
}

TEST_CASE("Z: reaches the host's root unless the prefix maps z: itself") {
    FakePrefix prefix;
    prefix.file("Games/CoD/Main/pak0.pk3");
    const fs::path host_main = prefix.c("Games/CoD/Main");
    const std::string z_main = "Z:" + [&] {
        std::string text = host_main.string();
        for (char& ch : text)
            if (ch == '/') ch = '\\';
        return text;
    }();
    // No z: in the prefix, or no prefix at all.
    CHECK(shown(WinePrefix(prefix.root()).existing(z_main)) == shown(host_main));
    CHECK(shown(WinePrefix(prefix.root() / "none").existing(z_main)) == shown(host_main));
    CHECK(shown(WinePrefix(prefix.root() / "none").for_new(z_main + "\\061226140509")) ==
          shown(host_main / "061226140509"));
    CHECK_FALSE(WinePrefix(prefix.root() / "none").existing("C:\\Games"));
    // A prefix that maps z: elsewhere, or breaks it on purpose, keeps its own mapping.
    fs::create_directory_symlink("../drive_c", prefix.root() / "dosdevices" / "z:");
    CHECK(shown(WinePrefix(prefix.root()).existing("Z:\\Games\\CoD")) ==
          shown(prefix.root() / "dosdevices" / "z:" / "Games" / "CoD"));
    CHECK_FALSE(WinePrefix(prefix.root()).existing(z_main));
    fs::remove(prefix.root() / "dosdevices" / "z:");
    fs::create_directory_symlink("/nonexistent-drive", prefix.root() / "dosdevices" / "z:");
    CHECK_FALSE(WinePrefix(prefix.root()).existing(z_main));
}

TEST_CASE("an exact name wins over a name that differs only in case") {
    FakePrefix prefix;
    prefix.file("Games/Main/a.pk3");
    prefix.file("Games/main/b.pk3");
    prefix.file("Games/MAIN2/c.pk3");
    const WinePrefix wine(prefix.root());
    const fs::path games = prefix.root() / "dosdevices" / "c:" / "Games";
    CHECK(shown(wine.existing("C:\\Games\\main")) == shown(games / "main"));
    CHECK(shown(wine.existing("C:\\Games\\Main")) == shown(games / "Main"));
    CHECK(shown(wine.existing("C:\\Games\\main2\\C.PK3")) == shown(games / "MAIN2" / "c.pk3"));
}

TEST_CASE("case folding reaches beyond ASCII") {
    FakePrefix prefix;
    prefix.file(
        "Spiele/\xC3\x9C"
        "bung/x.pk3");                                  // Übung
    prefix.file("\xD0\x98\xD0\xB3\xD1\x80\xD1\x8B/y");  // Игры
    const WinePrefix wine(prefix.root());
    CHECK(
        wine.existing("C:\\spiele\\\xC3\xBC"
                      "BUNG\\X.PK3"));                                // übung
    CHECK(wine.existing("C:\\\xD0\xB8\xD0\xB3\xD1\x80\xD1\x8B\\Y"));  // игры
}

TEST_CASE("paths for new items need an existing parent and keep an existing item's name") {
    FakePrefix prefix;
    prefix.file("Games/CoD/Main/Mod.PK3");
    const WinePrefix wine(prefix.root());
    const fs::path main = prefix.root() / "dosdevices" / "c:" / "Games" / "CoD" / "Main";

    CHECK(shown(wine.for_new("C:\\games\\cod\\main\\061226140509")) ==
          shown(main / "061226140509"));
    CHECK(shown(wine.for_new("C:\\Games\\CoD\\Main\\new.pk3.  ")) == shown(main / "new.pk3"));
    // The same file for a Windows program: a copy to it must meet the existing one.
    CHECK(shown(wine.for_new("C:\\Games\\CoD\\Main\\mod.pk3")) == shown(main / "Mod.PK3"));
    CHECK_FALSE(wine.for_new("C:\\Games\\CoD\\Nowhere\\new.pk3"));
    CHECK_FALSE(wine.for_new("C:\\Games\\CoD\\Main\\Mod.PK3\\new.pk3"));
    CHECK_FALSE(wine.for_new("C:\\Games\\CoD\\Main\\a:b"));
    CHECK_FALSE(wine.for_new("C:\\Games\\CoD\\Main\\a|b"));
    CHECK_FALSE(wine.for_new("Q:\\new"));
}

TEST_CASE("the prefix comes from WINEPREFIX, else from HOME") {
    const char* old_prefix = std::getenv("WINEPREFIX");
    const char* old_home = std::getenv("HOME");
    const std::string saved_prefix = old_prefix ? old_prefix : "";
    const std::string saved_home = old_home ? old_home : "";

    ::setenv("WINEPREFIX", "/tmp/some prefix//", 1);
    CHECK(WinePrefix::from_environment().root() == fs::path("/tmp/some prefix"));
    ::setenv("WINEPREFIX", "relative/pfx", 1);
    CHECK(WinePrefix::from_environment().root() == fs::current_path() / "relative/pfx");
    ::unsetenv("WINEPREFIX");
    ::setenv("HOME", "/home/player", 1);
    CHECK(WinePrefix::from_environment().root() == fs::path("/home/player/.wine"));
    ::setenv("WINEPREFIX", "", 1);
    CHECK(WinePrefix::from_environment().root() == fs::path("/home/player/.wine"));

    if (old_prefix)
        ::setenv("WINEPREFIX", saved_prefix.c_str(), 1);
    else
        ::unsetenv("WINEPREFIX");
    if (old_home)
        ::setenv("HOME", saved_home.c_str(), 1);
    else
        ::unsetenv("HOME");
}

}  // namespace
}  // namespace pakscour::test
