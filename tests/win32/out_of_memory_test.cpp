// A copy that runs out of memory at any of its allocations: it ends no program, leaves no file
// open and no hidden copy, and the file is whole in one place at least. The test program's
// operator new fails on request for this.
#include <doctest/doctest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "platform/runtime_error.h"
#include "platform/win32/long_path.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_file_system.h"
#include "temp_folder.h"

namespace {

// The number of allocations still allowed before one fails; negative: none fails.
std::atomic<long> allocations_left{-1};
std::atomic<bool> failed{false};

}  // namespace

void* operator new(std::size_t size) {
    if (allocations_left.load() >= 0 && allocations_left.fetch_sub(1) == 0) {
        failed = true;
        throw std::bad_alloc();
    }
    if (void* p = std::malloc(size != 0 ? size : 1)) return p;
    throw std::bad_alloc();
}

void operator delete(void* p) noexcept {
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace pakscour {

namespace {

// The files this process holds open (Wine answers GetProcessHandleCount with 0, and the thread
// runtime keeps handles of its own for threads it may use again).
std::size_t open_files() {
    std::size_t n = 0;
    for (ULONG_PTR value = 4; value < 0x10000; value += 4)
        if (GetFileType(reinterpret_cast<HANDLE>(value)) == FILE_TYPE_DISK) ++n;
    return n;
}

// Every entry of a folder, hidden ones included.
std::vector<std::string> everything_in(const std::string& folder) {
    std::vector<std::string> out;
    WIN32_FIND_DATAW d;
    HANDLE h = FindFirstFileW((win32::extended_path(win32::widen(folder)) + L"\\*").c_str(), &d);
    if (h == INVALID_HANDLE_VALUE) return out;
    do {
        const std::wstring name = d.cFileName;
        if (name != L"." && name != L"..") out.push_back(win32::narrow(name));
    } while (FindNextFileW(h, &d));
    FindClose(h);
    std::sort(out.begin(), out.end());
    return out;
}

}  // namespace

TEST_CASE("a copy out of memory ends no program and leaves no open file or hidden copy") {
    for (long fail_at = 0;; ++fail_at) {
        CAPTURE(fail_at);
        test::TempFolder t;
        test::make_folder(t / "backup");
        test::write_file(t / "a.pk3", "content of a.pk3");
        win32::Win32FileSystem fs;
        const std::size_t files = open_files();

        bool threw = false;
        failed = false;
        allocations_left = fail_at;
        try {
            fs.copy_file(t / "a.pk3", t / "backup\\a.pk3");
            fs.flush_moves();
        } catch (const std::bad_alloc&) {
            threw = true;
        } catch (const RuntimeError& e) {
            CHECK(e.number == err::out_of_memory);
            threw = true;
        }
        allocations_left = -1;
        fs.flush_moves();

        CHECK(open_files() == files);
        CHECK(threw == failed.load());
        const std::vector<std::string> in_backup = everything_in(t / "backup");
        CHECK((in_backup.empty() || in_backup == std::vector<std::string>{"a.pk3"}));
        if (!in_backup.empty()) CHECK(test::read_file(t / "backup\\a.pk3") == "content of a.pk3");
        if (!threw) CHECK_FALSE(test::exists(t / "a.pk3"));
        if (in_backup.empty()) CHECK(test::read_file(t / "a.pk3") == "content of a.pk3");
        // Every allocation of the copy has failed once: the last round met none.
        if (!failed) break;
        REQUIRE(fail_at < 200);
    }
}

}  // namespace pakscour
