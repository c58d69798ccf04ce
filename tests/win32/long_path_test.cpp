// Extended-length paths: every name kept exactly, deep folders, names Windows keeps for devices.
#include <doctest/doctest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "clean_rig.h"
#include "platform/win32/long_path.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_file_system.h"
#include "temp_folder.h"

namespace pakscour {

using test::files_in;
using test::TempFolder;
using win32::Win32FileSystem;

TEST_CASE("the extended-length form of a path keeps every name exactly") {
    struct Row {
        const wchar_t* path;
        const wchar_t* extended;
    };
    const Row rows[] = {
        {L"C:\\Games\\CoD\\Main\\x.pk3", L"\\\\?\\C:\\Games\\CoD\\Main\\x.pk3"},
        {L"C:\\Games\\CoD\\\\Main\\", L"\\\\?\\C:\\Games\\CoD\\Main"},
        {L"c:/Games/./CoD/../Main/CON.pk3", L"\\\\?\\c:\\Games\\Main\\CON.pk3"},
        {L"C:\\Main\\name.pk3.", L"\\\\?\\C:\\Main\\name.pk3."},
        {L"C:\\Main\\nul.iwd ", L"\\\\?\\C:\\Main\\nul.iwd "},
        {L"C:\\", L"\\\\?\\C:\\"},
        {L"C:\\..\\x", L"\\\\?\\C:\\x"},
        {L"\\\\server\\share\\Games\\x.pk3", L"\\\\?\\UNC\\server\\share\\Games\\x.pk3"},
        {L"\\\\?\\C:\\already", L"\\\\?\\C:\\already"},
    };
    for (const Row& r : rows) {
        CAPTURE(win32::narrow(r.path));
        CHECK(win32::extended_path(r.path) == r.extended);
    }
    CHECK(win32::folder_of(L"\\\\?\\C:\\x.pk3") == L"\\\\?\\C:\\");
    CHECK(win32::folder_of(L"\\\\?\\C:\\Main\\x.pk3") == L"\\\\?\\C:\\Main");
}

TEST_CASE("a clean in a folder deeper than 260 characters moves names Windows keeps for devices") {
    TempFolder t;
    std::string install = t.path();
    while (install.size() < 300) install += "\\a_folder_name_of_forty_characters_______";
    const std::string main = install + "\\Main";
    test::make_folders(main);
    const std::vector<std::string> names = {"CON.pk3", "aux.pk3", "com1.pk3", "nul.pk3",
                                            "zz_mod.pk3"};
    for (const std::string& name : names)
        test::write_file(main + "\\" + name, "content of " + name);

    Win32FileSystem fs;
    test::CleanRig rig(fs, install);
    REQUIRE(rig.clean());
    CHECK(rig.app.boxes.empty());
    const std::string backup = main + "\\061226140509";
    CHECK(rig.ctl("lblStatusBar").caption() == "Alien files moved to: " + backup);
    CHECK(files_in(main).empty());
    REQUIRE(files_in(backup).size() == names.size());
    for (const std::string& name : names) {
        CAPTURE(name);
        CHECK(test::read_file(backup + "\\" + name) == "content of " + name);
    }
}

}  // namespace pakscour
