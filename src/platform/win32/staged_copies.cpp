#include "platform/win32/staged_copies.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <system_error>
#include <thread>
#include <utility>

#include "platform/win32/win32_errors.h"

namespace pakscour::win32 {

namespace {

constexpr DWORD buffer_size = 1 << 20;
// Each file is flushed on its own, but this many at a time: the disk (and, under Wine, the
// host's file system) then commits them together. Under wine64 on ext4, 1000 files of 8 KiB
// took 2.2 to 3.3 s to flush one after the other and 0.4 s eight at a time. One flush of the
// whole volume would serve a batch too, but Windows grants it to administrators only, and Wine
// does not support it.
constexpr std::size_t default_parallel_flushes = 8;
constexpr wchar_t temp_prefix[] = L".pakscour-copy-";

// Closes a handle when it goes out of scope.
struct Handle {
    HANDLE h = INVALID_HANDLE_VALUE;
    Handle() = default;
    explicit Handle(HANDLE handle) : h(handle) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() {
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
    explicit operator bool() const { return h != INVALID_HANDLE_VALUE; }
    HANDLE release() { return std::exchange(h, INVALID_HANDLE_VALUE); }
};

std::wstring folder_of(const std::wstring& path) {
    const auto cut = path.find_last_of(L"\\/");
    return cut == std::wstring::npos ? std::wstring(L".") : path.substr(0, cut);
}

RuntimeError error_for(std::uint32_t win32_error, const std::string& item) {
    try {
        raise_win32_error(win32_error, item);
    } catch (const RuntimeError& e) {
        return e;
    }
}

// Removes a file of ours, read-only or not.
void remove_file(const std::wstring& path) {
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(path.c_str());
}

}  // namespace

std::size_t flushes_at_a_time(const char* setting) {
    if (setting == nullptr) return default_parallel_flushes;
    char* end = nullptr;
    const unsigned long n = std::strtoul(setting, &end, 10);
    if (end == setting || *end != '\0' || n < 1 || n > 64) return default_parallel_flushes;
    return n;
}

void flush_folder(const std::wstring& folder) {
    Handle h(CreateFileW(folder.c_str(), GENERIC_READ | GENERIC_WRITE,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (h) FlushFileBuffers(h.h);
}

StagedCopies::~StagedCopies() {
    for (Copy& copy : copies_) discard(copy);
}

void StagedCopies::discard(Copy& copy) {
    if (copy.file != nullptr) CloseHandle(copy.file);
    copy.file = nullptr;
    remove_file(copy.temp);
}

std::uint64_t StagedCopies::stage(const std::wstring& source, const std::wstring& target,
                                  const std::string& from, const std::string& to) {
    // Others may read the source meanwhile, but not change it.
    Handle in(CreateFileW(source.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                          FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!in) raise_win32_error(GetLastError(), from);
    FILE_BASIC_INFO info;
    LARGE_INTEGER length;
    if (!GetFileInformationByHandleEx(in.h, FileBasicInfo, &info, sizeof info) ||
        !GetFileSizeEx(in.h, &length))
        raise_win32_error(GetLastError(), from);
    if (info.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) raise_error(err::permission_denied, from);
    const auto size = static_cast<ULONGLONG>(length.QuadPart);
    // An existing target is found when the copy is named, which never replaces anything.

    // Hidden while it is written, and never read-only then: the copy gets the source's
    // attributes only when it is committed.
    const std::wstring folder = folder_of(target);
    std::wstring temp;
    Handle out;
    for (int attempt = 0;; ++attempt) {
        temp = folder + L"\\" + temp_prefix + std::to_wstring(GetCurrentProcessId()) + L"-" +
               std::to_wstring(++serial_);
        out.h = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        if (out) break;
        // A name left by an earlier run that was killed, or in use: try the next one.
        const DWORD e = GetLastError();
        if ((e != ERROR_FILE_EXISTS && e != ERROR_ALREADY_EXISTS) || attempt == 100)
            raise_win32_error(e, to);
    }

    buffer_.resize(buffer_size);
    DWORD failure = ERROR_SUCCESS;
    bool read_failed = false;
    ULONGLONG copied = 0;
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(in.h, buffer_.data(), buffer_size, &got, nullptr)) {
            failure = GetLastError();
            read_failed = true;
            break;
        }
        if (got == 0) break;
        DWORD put = 0;
        if (!WriteFile(out.h, buffer_.data(), got, &put, nullptr)) {
            failure = GetLastError();
            break;
        }
        if (put != got) {
            failure = ERROR_WRITE_FAULT;
            break;
        }
        copied += got;
    }
    LARGE_INTEGER written{};
    if (failure == ERROR_SUCCESS && !GetFileSizeEx(out.h, &written)) failure = GetLastError();
    const bool short_copy = failure == ERROR_SUCCESS &&
                            (copied != size || static_cast<ULONGLONG>(written.QuadPart) != size);
    if (failure != ERROR_SUCCESS || short_copy) {
        CloseHandle(out.release());
        DeleteFileW(temp.c_str());
        if (short_copy) raise_error(err::device_io, from);
        // A read error belongs to the source; every other failure to the target.
        raise_win32_error(failure, read_failed ? from : to);
    }

    constexpr DWORD kept =
        FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    const DWORD attributes = info.FileAttributes & kept;
    copies_.push_back(Copy{
        out.release(),
        temp,
        target,
        to,
        attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL,
        {info.CreationTime.QuadPart, info.LastAccessTime.QuadPart, info.LastWriteTime.QuadPart}});
    return size;
}

std::size_t StagedCopies::commit(RuntimeError& failure) {
    std::vector<Copy> batch = std::exchange(copies_, {});
    std::vector<DWORD> errors(batch.size(), ERROR_SUCCESS);

    // Each copy gets its final attributes and times, then it is flushed, with its metadata.
    std::atomic<std::size_t> next{0};
    auto finish = [&] {
        for (std::size_t i; (i = next++) < batch.size();) {
            const Copy& copy = batch[i];
            FILE_BASIC_INFO basic{};
            basic.CreationTime.QuadPart = copy.times[0];
            basic.LastAccessTime.QuadPart = copy.times[1];
            basic.LastWriteTime.QuadPart = copy.times[2];
            basic.FileAttributes = copy.attributes;
            if (!SetFileInformationByHandle(copy.file, FileBasicInfo, &basic, sizeof basic) ||
                !FlushFileBuffers(copy.file))
                errors[i] = GetLastError();
        }
    };
    static const std::size_t parallel_flushes =
        flushes_at_a_time(std::getenv("PAKSCOUR_FLUSH_THREADS"));
    std::vector<std::thread> helpers;
    for (std::size_t t = 1; t < std::min(parallel_flushes, batch.size()); ++t) {
        try {
            helpers.emplace_back(finish);
        } catch (const std::system_error&) {
            break;  // fewer helpers; this thread does the rest
        }
    }
    finish();
    for (std::thread& helper : helpers) helper.join();
    for (Copy& copy : batch) {
        CloseHandle(copy.file);
        copy.file = nullptr;
    }

    // Named in order, without replacing anything; the first failure ends the naming.
    std::size_t named = 0;
    for (; named < batch.size(); ++named) {
        const Copy& copy = batch[named];
        if (errors[named] != ERROR_SUCCESS) {
            failure = error_for(errors[named], copy.to);
            break;
        }
        if (!MoveFileExW(copy.temp.c_str(), copy.target.c_str(), MOVEFILE_WRITE_THROUGH)) {
            failure = error_for(GetLastError(), copy.to);
            break;
        }
    }
    for (std::size_t i = named; i < batch.size(); ++i) discard(batch[i]);

    // The new names reach the disk with their folders.
    std::vector<std::wstring> folders;
    for (std::size_t i = 0; i < named; ++i) {
        std::wstring folder = folder_of(batch[i].target);
        if (std::find(folders.begin(), folders.end(), folder) == folders.end())
            folders.push_back(std::move(folder));
    }
    for (const std::wstring& folder : folders) flush_folder(folder);
    return named;
}

}  // namespace pakscour::win32
