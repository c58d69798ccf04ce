#include <windows.h>

#include <doctest/doctest.h>

#include <string>
#include <vector>

#include "platform/win32/wide.h"
#include "platform/win32/win32_registry_store.h"

namespace pakscour {

using win32::widen;
using win32::Win32RegistryStore;

namespace {

constexpr RegHandle hkcu = 0x80000001u;

// A key of its own under HKEY_CURRENT_USER\Software\PakscourTest, deleted afterwards.
struct TestKey {
    std::string sub = "Software\\PakscourTest\\store-" + std::to_string(GetCurrentProcessId());
    HKEY key = nullptr;
    TestKey() {
        RegCreateKeyExW(HKEY_CURRENT_USER, widen(sub).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                        nullptr, &key, nullptr);
    }
    ~TestKey() {
        RegCloseKey(key);
        RegDeleteTreeW(HKEY_CURRENT_USER, widen(sub).c_str());
        RegDeleteKeyW(HKEY_CURRENT_USER, widen(sub).c_str());
        RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\PakscourTest");
    }
    void set(const std::wstring& name, DWORD type, const void* data, DWORD bytes) {
        RegSetValueExW(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), bytes);
    }
    // A string stored with its NUL, as installers write it.
    void set_text(const std::wstring& name, const std::wstring& text) {
        set(name, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }
};

struct Read {
    std::int32_t status;
    std::uint32_t type;
    std::uint32_t size;
    std::vector<std::uint8_t> data;
};

Read read(Win32RegistryStore& store, RegHandle key, const std::string& name,
          std::size_t buffer = 255) {
    Read r{0, reg::reg_sz, static_cast<std::uint32_t>(buffer),
           std::vector<std::uint8_t>(buffer, ' ')};
    r.status = store.query_value(key, name, r.type, r.data, r.size);
    return r;
}

std::vector<std::uint8_t> bytes(const std::string& s) {
    return {s.begin(), s.end()};
}

std::vector<std::uint8_t> head(const Read& r) {
    return {r.data.begin(), r.data.begin() + static_cast<std::ptrdiff_t>(r.size)};
}

}  // namespace

TEST_CASE("keys open for reading, and a missing key or a bad root is refused") {
    TestKey k;
    Win32RegistryStore store;
    RegHandle key = 0;
    REQUIRE(store.open_key(hkcu, k.sub, reg::key_read, key) == reg::success);
    CHECK(store.close_key(key) == reg::success);
    CHECK(store.close_key(key) == reg::invalid_handle);

    RegHandle missing = 0;
    CHECK(store.open_key(hkcu, k.sub + "\\absent", reg::key_read, missing) == reg::file_not_found);
    CHECK(store.open_key(0x12345u, "Software", reg::key_read, missing) == reg::invalid_handle);
    CHECK(store.open_key(0, "Software", reg::key_read, missing) == reg::invalid_handle);

    RegHandle root = 0;
    CHECK(store.open_key(hkcu, "", reg::key_read, root) == reg::success);
    CHECK(store.close_key(root) == reg::success);
}

TEST_CASE("string values come back as UTF-8 with their NUL") {
    TestKey k;
    k.set_text(L"InstallPath", L"C:\\Games\\CoD");
    k.set_text(L"Unicode", L"C:\\Jeux\\\u00C9t\u00E9 \u4E2D");
    k.set_text(L"Empty", L"");
    // The registry adds a NUL the caller forgot to count when one follows the data, so the
    // character after "abc" is not one.
    const wchar_t no_nul[] = L"abcd";
    k.set(L"NoNul", REG_SZ, no_nul, 3 * sizeof(wchar_t));
    const wchar_t multi[] = L"one\0two\0";
    k.set(L"Multi", REG_MULTI_SZ, multi, sizeof multi);

    Win32RegistryStore store;
    RegHandle key = 0;
    REQUIRE(store.open_key(hkcu, k.sub, reg::key_read, key) == reg::success);

    struct Row {
        const char* name;
        std::string expected;
        std::uint32_t type;
    };
    const Row rows[] = {
        {"InstallPath", std::string("C:\\Games\\CoD") + '\0', REG_SZ},
        {"Unicode", std::string("C:\\Jeux\\\xC3\x89t\xC3\xA9 \xE4\xB8\xAD") + '\0', REG_SZ},
        {"Empty", std::string(1, '\0'), REG_SZ},
        {"NoNul", "abc", REG_SZ},
        {"Multi", std::string("one\0two\0\0", 9), REG_MULTI_SZ},
    };
    for (const Row& row : rows) {
        const std::string name = row.name;
        CAPTURE(name);
        const Read r = read(store, key, row.name);
        REQUIRE(r.status == reg::success);
        const std::string got(r.data.begin(), r.data.begin() + r.size);
        CAPTURE(got.size());
        CHECK(r.type == row.type);
        CHECK(head(r) == bytes(row.expected));
        // The bytes after the data keep the caller's fill.
        CHECK(r.data[r.size] == ' ');
    }
    store.close_key(key);
}

TEST_CASE("data larger than the buffer returns 234 and leaves the buffer untouched") {
    TestKey k;
    k.set_text(L"Fits", std::wstring(254, L'x'));
    k.set_text(L"TooLong", std::wstring(255, L'x'));
    // Two UTF-8 bytes per character: 127 characters and the NUL make 255 bytes.
    k.set_text(L"Wide", std::wstring(127, L'\u00E9'));
    k.set_text(L"Wider", std::wstring(128, L'\u00E9'));

    Win32RegistryStore store;
    RegHandle key = 0;
    REQUIRE(store.open_key(hkcu, k.sub, reg::key_read, key) == reg::success);
    CHECK(read(store, key, "Fits").status == reg::success);
    CHECK(read(store, key, "Fits").size == 255);
    CHECK(read(store, key, "Wide").status == reg::success);

    for (const char* name : {"TooLong", "Wider"}) {
        CAPTURE(name);
        const Read r = read(store, key, name);
        CHECK(r.status == reg::more_data);
        CHECK(r.size > 255);
        CHECK(r.data == std::vector<std::uint8_t>(255, ' '));
    }
    // A buffer smaller than the size it claims is never written past its end.
    std::vector<std::uint8_t> small(4, ' ');
    std::uint32_t type = reg::reg_sz;
    std::uint32_t size = 255;
    CHECK(store.query_value(key, "Fits", type, small, size) == reg::more_data);
    CHECK(small == std::vector<std::uint8_t>(4, ' '));
    store.close_key(key);
}

TEST_CASE("missing values, other types and closed keys") {
    TestKey k;
    const DWORD number = 0x01020304;
    k.set(L"Number", REG_DWORD, &number, sizeof number);

    Win32RegistryStore store;
    RegHandle key = 0;
    REQUIRE(store.open_key(hkcu, k.sub, reg::key_read, key) == reg::success);
    CHECK(read(store, key, "Absent").status == reg::file_not_found);

    const Read r = read(store, key, "Number");
    REQUIRE(r.status == reg::success);
    CHECK(r.type == REG_DWORD);
    CHECK(head(r) == std::vector<std::uint8_t>{4, 3, 2, 1});

    store.close_key(key);
    CHECK(read(store, key, "Number").status == reg::invalid_handle);
}

}  // namespace pakscour
