// Reads a registry that real Wine wrote: a fresh prefix made by wineboot, with the game's key
// added by Wine's own reg.exe in the 32-bit view, read back through the 32-bit path.
#include <doctest/doctest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "platform/posix/posix_registry_store.h"
#include "registry_rig.h"

namespace pakscour {

using namespace std::string_literals;
using posix::PosixRegistryStore;
using test::hkcu;
using test::hklm;
using test::read_at;
using test::TempDir;

namespace {

int run(const std::string& command) {
    return std::system(command.c_str());
}

// A Wine loader that runs here: `wine`, or `wine64` where 32-bit programs cannot run.
std::optional<std::string> find_wine() {
    for (const char* loader : {"wine", "wine64", "/usr/lib/wine/wine64"}) {
        if (run("WINEDEBUG=-all "s + loader + " --version >/dev/null 2>&1") == 0) return loader;
    }
    return std::nullopt;
}

}  // namespace

TEST_CASE("a registry written by real Wine reads back through the 32-bit view") {
    const auto wine = find_wine();
    if (!wine) {
        MESSAGE("skipped: no working wine on PATH");
        return;
    }
    TempDir dir;
    const std::string env =
        "WINEPREFIX='" + dir.root().string() + "' WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml= ";
    const std::string reg = env + *wine + " reg add ";
    const std::string quiet = " >/dev/null 2>&1";
    REQUIRE(run(env + *wine + " wineboot -i" + quiet) == 0);
    const std::string cod = "'HKLM\\Software\\Activision\\Call of Duty'";
    REQUIRE(run(reg + cod + " /v InstallPath /d 'C:\\Games\\CoD' /f /reg:32" + quiet) == 0);
    REQUIRE(run(reg + cod + " /v Version /d '1.5' /f /reg:32" + quiet) == 0);
    // Wine writes these as \x escapes, padded to four digits before a hex digit ("\x00e92").
    const std::string accent =
        "C:\\Jeux\\\xc3\x89t\xc3\xa9"
        "2 \xe2\x98\x83 \xf0\x9f\x98\x80";
    REQUIRE(run(reg + cod + " /v Accent /d '" + accent + "' /f /reg:32" + quiet) == 0);
    REQUIRE(run(reg + cod + " /v Multi /t REG_MULTI_SZ /d 'a\\0b' /f /reg:32" + quiet) == 0);
    REQUIRE(run(reg + cod + " /v Blob /t REG_BINARY /d " + std::string(80, 'a') + " /f /reg:32" +
                quiet) == 0);
    REQUIRE(run(reg + cod + " /v Count /t REG_DWORD /d 42 /f /reg:32" + quiet) == 0);
    // A 64-bit key only: the 32-bit lookup falls back to the plain path.
    REQUIRE(run(reg +
                "'HKLM\\Software\\Activision\\Call of Duty 2' /v InstallPath /d "
                "'C:\\Games\\CoD2' /f /reg:64" +
                quiet) == 0);
    REQUIRE(run(env + "wineserver -w") == 0);

    PosixRegistryStore store(dir.root());
    const std::string key = "Software\\Activision\\Call of Duty";
    CHECK(read_at(store, hklm, key, "InstallPath").data() == "C:\\Games\\CoD\0"s);
    CHECK(read_at(store, hklm, key, "Version").data() == "1.5\0"s);
    CHECK(read_at(store, hklm, key, "Accent").data() == accent + '\0');
    CHECK(read_at(store, hklm, key, "Multi").data() == "a\0b\0\0"s);
    CHECK(read_at(store, hklm, key, "Blob").data() == std::string(40, '\xaa'));
    CHECK(read_at(store, hklm, key, "Count").data() == "\x2a\0\0\0"s);
    CHECK(read_at(store, hklm, "Software\\Activision\\Call of Duty 2", "InstallPath").data() ==
          "C:\\Games\\CoD2\0"s);
    // Wine's own keys: the user's settings, and the 32-bit classes reached through its links.
    CHECK(read_at(store, hkcu, "Control Panel\\Desktop", "DoubleClickHeight").status ==
          reg::success);
    RegHandle classes = 0;
    CHECK(store.open_key(hklm, "Software\\Wow6432Node\\Classes\\CLSID", reg::key_read, classes) ==
          reg::success);
    CHECK(store.close_key(classes) == reg::success);
}

}  // namespace pakscour
