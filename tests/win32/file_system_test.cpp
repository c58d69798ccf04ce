#include <doctest/doctest.h>

#include <algorithm>
#include <vector>

#include "platform/runtime_error.h"
#include "platform/win32/win32_errors.h"
#include "platform/win32/win32_file_system.h"
#include "temp_folder.h"

namespace pakscour {

using test::TempFolder;
using win32::Win32FileSystem;

namespace {

std::vector<std::string> list(Win32FileSystem& fs, const std::string& pattern) {
    std::vector<std::string> names;
    for (std::string n = fs.find_first(pattern); !n.empty(); n = fs.find_next()) names.push_back(n);
    std::sort(names.begin(), names.end());
    return names;
}

template <class Fn>
std::int32_t error_number(Fn&& fn) {
    try {
        fn();
    } catch (const RuntimeError& e) {
        return e.number;
    }
    return 0;
}

}  // namespace

TEST_CASE("enumeration returns only plain, visible files that match the pattern") {
    TempFolder t;
    for (const char* name :
         {"a.pk3", "B.PK3", "hidden.pk3", "system.pk3", "notes.txt", "map.pk3x", "caf\xC3\xA9.pk3"})
        test::write_file(t / name, "x");
    test::set_attributes(t / "hidden.pk3", FILE_ATTRIBUTE_HIDDEN);
    test::set_attributes(t / "system.pk3", FILE_ATTRIBUTE_SYSTEM);
    test::make_folder(t / "x.pk3");

    Win32FileSystem fs;
    CHECK(list(fs, t / "*.pk3") == std::vector<std::string>{"B.PK3", "a.pk3", "caf\xC3\xA9.pk3"});
    CHECK(list(fs, t / "*.txt") == std::vector<std::string>{"notes.txt"});
    CHECK(list(fs, t / "*.iwd").empty());
}

TEST_CASE("a missing folder is an empty enumeration, and the end stays the end") {
    TempFolder t;
    Win32FileSystem fs;
    CHECK(fs.find_first(t / "nowhere\\*.pk3").empty());
    CHECK(fs.find_next().empty());
    test::write_file(t / "one.pk3", "1");
    CHECK(fs.find_first(t / "*.pk3") == "one.pk3");
    CHECK(fs.find_next().empty());
    CHECK(fs.find_next().empty());
}

TEST_CASE("a new enumeration abandons the previous one") {
    TempFolder t;
    for (const char* name : {"1.pk3", "2.pk3", "3.iwd"}) test::write_file(t / name, "x");
    Win32FileSystem fs;
    CHECK_FALSE(fs.find_first(t / "*.pk3").empty());
    CHECK(fs.find_first(t / "*.iwd") == "3.iwd");
    CHECK(fs.find_next().empty());
}

TEST_CASE("folders are created one level at a time") {
    TempFolder t;
    Win32FileSystem fs;
    fs.create_folder(t / "backup");
    CHECK(test::exists(t / "backup"));
    CHECK(error_number([&] { fs.create_folder(t / "backup"); }) == err::file_exists);
    CHECK(error_number([&] { fs.create_folder(t / "a\\b"); }) == err::path_not_found);
}

TEST_CASE("a copy is whole and never replaces an existing file") {
    TempFolder t;
    Win32FileSystem fs;
    const std::string content(100000, 'q');
    test::write_file(t / "src.pk3", content);
    fs.copy_file(t / "src.pk3", t / "dst.pk3");
    CHECK(test::read_file(t / "dst.pk3") == content);
    CHECK(test::read_file(t / "src.pk3") == content);

    test::write_file(t / "other.pk3", "keep me");
    CHECK(error_number([&] { fs.copy_file(t / "src.pk3", t / "other.pk3"); }) == err::file_exists);
    CHECK(test::read_file(t / "other.pk3") == "keep me");

    CHECK(error_number([&] { fs.copy_file(t / "none.pk3", t / "n.pk3"); }) == err::file_not_found);
    CHECK_FALSE(test::exists(t / "n.pk3"));
    CHECK(error_number([&] { fs.copy_file(t / "src.pk3", t / "no\\dir.pk3"); }) ==
          err::path_not_found);
}

TEST_CASE("delete removes a file and reports what is missing") {
    TempFolder t;
    Win32FileSystem fs;
    test::write_file(t / "gone.pk3", "x");
    fs.delete_file(t / "gone.pk3");
    CHECK_FALSE(test::exists(t / "gone.pk3"));
    CHECK(error_number([&] { fs.delete_file(t / "gone.pk3"); }) == err::file_not_found);
    CHECK(error_number([&] { fs.delete_file(t / "nodir\\gone.pk3"); }) == err::path_not_found);
    test::make_folder(t / "folder.pk3");
    CHECK(error_number([&] { fs.delete_file(t / "folder.pk3"); }) != 0);
    CHECK(test::exists(t / "folder.pk3"));
}

TEST_CASE("Win32 errors map to the classic numbers") {
    struct Row {
        std::uint32_t win32;
        std::int32_t classic;
    };
    const Row rows[] = {{2, 53},   {3, 76},  {5, 70},  {80, 58}, {183, 58}, {39, 61},
                        {112, 61}, {32, 75}, {33, 75}, {1, 75},  {123, 75}, {1392, 75}};
    for (const Row& r : rows) {
        CAPTURE(r.win32);
        CHECK(win32::classic_error_number(r.win32) == r.classic);
    }
}

TEST_CASE("names found through short names are checked against the pattern again") {
    struct Row {
        const wchar_t* name;
        const wchar_t* pattern;
        bool match;
    };
    const Row rows[] = {
        {L"a.pk3", L"*.pk3", true},
        {L"A.PK3", L"*.pk3", true},
        {L"map.pk3x", L"*.pk3", false},
        {L"x.pk3.bak", L"*.pk3", false},
        {L"uomappack1.pk3", L"uomappack*.pk3", true},
        {L"uomap.pk3", L"uomappack*.pk3", false},
        {L"pak0.pk3", L"pak?.pk3", true},
        {L"pak10.pk3", L"pak?.pk3", false},
        {L"noext", L"*.*", true},
        {L"", L"*", true},
        {L"abc", L"a*b*c", true},
        {L"abcb", L"a*c", false},
    };
    for (const Row& r : rows) {
        CAPTURE(r.pattern);
        CHECK(win32::wildcard_match(r.name, r.pattern) == r.match);
    }
}

}  // namespace pakscour
