#include <doctest/doctest.h>

#include <algorithm>
#include <iterator>
#include <optional>
#include <vector>

#include "file_system_contract.h"
#include "platform/runtime_error.h"
#include "platform/win32/wide.h"
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

// Every entry of a folder, hidden ones included, with its attributes.
std::vector<std::pair<std::string, DWORD>> entries(const std::string& folder) {
    std::vector<std::pair<std::string, DWORD>> out;
    WIN32_FIND_DATAW d;
    HANDLE h = FindFirstFileW(win32::widen(folder + "\\*").c_str(), &d);
    if (h == INVALID_HANDLE_VALUE) return out;
    do {
        const std::wstring name = d.cFileName;
        if (name != L"." && name != L"..")
            out.emplace_back(win32::narrow(name), d.dwFileAttributes);
    } while (FindNextFileW(h, &d));
    FindClose(h);
    std::sort(out.begin(), out.end());
    return out;
}

std::vector<std::string> names(const std::string& folder) {
    std::vector<std::string> out;
    for (const auto& [name, attributes] : entries(folder)) out.push_back(name);
    return out;
}

FILETIME last_write(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA a{};
    GetFileAttributesExW(win32::widen(path).c_str(), GetFileExInfoStandard, &a);
    return a.ftLastWriteTime;
}

// Closes the handles this process holds on `folder`. FindFirstFileW keeps one to read the
// folder's entries batch by batch; a listing that loses it breaks off with an error, as one
// does whose folder goes away meanwhile (a lost network share, a removed drive).
int close_handles_on(const std::string& folder) {
    const std::wstring wanted = L"\\\\?\\" + win32::widen(folder);
    int closed = 0;
    for (ULONG_PTR value = 4; value < 0x10000; value += 4) {
        HANDLE h = reinterpret_cast<HANDLE>(value);
        if (GetFileType(h) != FILE_TYPE_DISK) continue;
        wchar_t path[1024];
        const DWORD n = GetFinalPathNameByHandleW(h, path, std::size(path), FILE_NAME_NORMALIZED);
        if (n == 0 || n >= std::size(path) || n != wanted.size()) continue;
        if (CompareStringOrdinal(path, n, wanted.data(), n, TRUE) != CSTR_EQUAL) continue;
        if (CloseHandle(h)) ++closed;
    }
    return closed;
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

TEST_CASE("a listing that breaks off raises a device error instead of ending early") {
    TempFolder t;
    constexpr int count = 300;
    for (int i = 0; i < count; ++i)
        test::write_file(t / ("an_archive_with_a_longer_name_" + std::to_string(i) + ".pk3"), "x");
    Win32FileSystem fs;
    REQUIRE_FALSE(fs.find_first(t / "*.pk3").empty());
    REQUIRE(close_handles_on(t.path()) == 1);
    int listed = 1;
    const std::int32_t number = error_number([&] {
        while (!fs.find_next().empty()) ++listed;
    });
    CHECK(number == err::device_io);
    CHECK(listed < count);
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

// The contract table's places on Windows: folders in a temporary folder, and under Wine the
// host's /dev/shm through Z: as another file system.
class Win32ContractRig : public test::ContractRig {
  public:
    ~Win32ContractRig() override {
        release();
        for (const std::string& folder : others_) test::remove_tree(folder);
    }
    FileSystem& fs() override { return fs_; }
    std::string new_folder() override {
        const std::string folder = root_ / std::to_string(++serial_);
        test::make_folder(folder);
        return folder;
    }
    std::string other_file_system_folder() override {
        if (test::host_path("C:\\").empty()) return {};
        const std::string folder = "Z:\\dev\\shm\\pakscour-contract-" +
                                   std::to_string(GetCurrentProcessId()) + "-" +
                                   std::to_string(++serial_);
        if (!CreateDirectoryW(win32::widen(folder).c_str(), nullptr)) return {};
        others_.push_back(folder);
        return folder;
    }
    void make_folder(const std::string& path) override { test::make_folder(path); }
    void write(const std::string& path, const std::string& bytes) override {
        test::write_file(path, bytes);
    }
    std::optional<std::string> read(const std::string& path) override {
        const DWORD a = test::attributes(path);
        if (a == INVALID_FILE_ATTRIBUTES || (a & FILE_ATTRIBUTE_DIRECTORY) != 0) return {};
        return test::read_file(path);
    }
    bool exists(const std::string& path) override {
        return test::attributes(path) != INVALID_FILE_ATTRIBUTES;
    }
    bool link(const std::string& path, const std::string& target) override {
        return test::host_link(path, target);
    }
    std::int32_t hold(const std::string& path) override {
        held_ = CreateFileW(win32::widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, 0, nullptr);
        REQUIRE(held_ != INVALID_HANDLE_VALUE);
        return err::path_file_access;
    }
    void release() override {
        if (held_ != INVALID_HANDLE_VALUE) CloseHandle(held_);
        held_ = INVALID_HANDLE_VALUE;
    }
    bool case_sensitive() override { return false; }

  private:
    TempFolder root_;
    Win32FileSystem fs_;
    std::vector<std::string> others_;
    HANDLE held_ = INVALID_HANDLE_VALUE;
    int serial_ = 0;
};

TEST_CASE("move_file answers as every platform does") {
    Win32ContractRig rig;
    test::check_move_contract(rig);
}

TEST_CASE("a name taken in another non-ASCII case is taken") {
    TempFolder t;
    test::make_folder(t / "backup");
    test::write_file(t / "\xC3\xA9_mod.pk3", "the archive");
    test::write_file(t / "backup\\\xC3\x89_MOD.PK3", "someone else's");
    Win32FileSystem fs;
    CHECK(error_number([&] {
              fs.move_file(t / "\xC3\xA9_mod.pk3", t / "backup\\\xC3\xA9_mod.pk3");
          }) == err::file_exists);
    fs.flush_moves();
    CHECK(test::read_file(t / "\xC3\xA9_mod.pk3") == "the archive");
    CHECK(names(t / "backup") == std::vector<std::string>{"\xC3\x89_MOD.PK3"});
}

TEST_CASE(
    "a copy to another file system is whole, keeps attributes and times, and replaces nothing") {
    TempFolder t;
    test::make_folder(t / "backup");
    const std::string content(1500000, 'q');
    for (const char* name : {"src.pk3", "ro.pk3", "empty.pk3", "other.pk3"})
        test::write_file(t / name, std::string(name) == "empty.pk3" ? "" : content);
    test::set_attributes(t / "ro.pk3", FILE_ATTRIBUTE_READONLY);
    test::write_file(t / "backup\\OTHER.PK3", "keep me");
    Win32FileSystem fs;
    for (const char* name : {"src.pk3", "ro.pk3", "empty.pk3"}) {
        CAPTURE(name);
        const DWORD attributes = test::attributes(t / name);
        const FILETIME written = last_write(t / name);
        CHECK(fs.copy_file(t / name, t / "backup\\" + name) == Copied::moved);
        CHECK_FALSE(test::exists(t / name));
        CHECK(test::read_file(t / "backup\\" + name).size() ==
              (std::string(name) == "empty.pk3" ? 0 : content.size()));
        CHECK(test::attributes(t / "backup\\" + name) == attributes);
        const FILETIME copied = last_write(t / "backup\\" + name);
        CHECK(CompareFileTime(&copied, &written) == 0);
    }
    // Refusals leave the original where it was and nothing in the backup folder, hidden or not.
    const auto before = entries(t / "backup");
    CHECK(error_number([&] { fs.copy_file(t / "other.pk3", t / "backup\\other.pk3"); }) ==
          err::file_exists);
    CHECK(error_number([&] { fs.copy_file(t / "none.pk3", t / "backup\\n.pk3"); }) ==
          err::file_not_found);
    CHECK(error_number([&] { fs.copy_file(t / "nodir\\x.pk3", t / "backup\\x.pk3"); }) ==
          err::path_not_found);
    CHECK(error_number([&] { fs.copy_file(t / "other.pk3", t / "none\\other.pk3"); }) ==
          err::path_not_found);
    test::make_folder(t / "folder.pk3");
    CHECK(error_number([&] { fs.copy_file(t / "folder.pk3", t / "backup\\folder.pk3"); }) ==
          err::permission_denied);
    {
        // Held open by a game that does not share the delete: refused before anything is copied.
        HANDLE held = CreateFileW(win32::widen(t / "other.pk3").c_str(), GENERIC_READ,
                                  FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        REQUIRE(held != INVALID_HANDLE_VALUE);
        CHECK(error_number([&] { fs.copy_file(t / "other.pk3", t / "backup\\held.pk3"); }) ==
              err::path_file_access);
        CloseHandle(held);
    }
    fs.flush_moves();
    CHECK(entries(t / "backup") == before);
    CHECK(test::read_file(t / "other.pk3") == content);
    CHECK(test::read_file(t / "backup\\OTHER.PK3") == "keep me");
}

TEST_CASE("Win32 errors map to the classic numbers") {
    struct Row {
        std::uint32_t win32;
        std::int32_t classic;
    };
    const Row rows[] = {{2, 53},    {3, 76},   {5, 70},  {8, 7},   {80, 58},  {183, 58},
                        {39, 61},   {112, 61}, {32, 75}, {33, 75}, {1, 75},   {123, 75},
                        {1392, 75}, {23, 57},  {30, 57}, {31, 57}, {1117, 57}};
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
