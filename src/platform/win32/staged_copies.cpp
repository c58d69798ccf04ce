#include "platform/win32/staged_copies.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <new>
#include <system_error>
#include <thread>
#include <utility>

#include "platform/win32/handle.h"
#include "platform/win32/long_path.h"
#include "platform/win32/wide.h"
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

// The failure of a commit, described without ending the commit when memory runs out: then it
// is error 7, whose short description needs no memory of its own.
void out_of_memory(RuntimeError& failure) noexcept {
    failure.number = err::out_of_memory;
    failure.description = "Out of memory";
    failure.source.clear();
}

void describe(RuntimeError& failure, std::uint32_t win32_error, const std::string& item) noexcept {
    try {
        raise_win32_error(win32_error, item);
    } catch (const RuntimeError& e) {
        try {
            failure = e;
            return;
        } catch (const std::bad_alloc&) {
        }
    } catch (const std::bad_alloc&) {
    }
    out_of_memory(failure);
}

// Flushes the folder of an extended-length path.
void flush_extended_folder(const wchar_t* folder) {
    Handle h(CreateFileW(folder, GENERIC_READ | GENERIC_WRITE,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (h) FlushFileBuffers(h.h);
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
    flush_extended_folder(extended_path(folder).c_str());
}

bool identity_of(void* file, FileIdentity& identity) {
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(static_cast<HANDLE>(file), &info)) return false;
    identity.volume = info.dwVolumeSerialNumber;
    identity.id_high = info.nFileIndexHigh;
    identity.id_low = info.nFileIndexLow;
    identity.size = (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
    identity.modified =
        static_cast<std::int64_t>((std::uint64_t{info.ftLastWriteTime.dwHighDateTime} << 32) |
                                  info.ftLastWriteTime.dwLowDateTime);
    return true;
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
    // Others may read the source meanwhile, but not change it. Who it is, is recorded from
    // this very handle, so the delete that ends its move can tell that it is still this file.
    Handle in(CreateFileW(extended_path(source).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                          OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!in) raise_win32_error(GetLastError(), from);
    BY_HANDLE_FILE_INFORMATION info;
    FileIdentity identity;
    if (!GetFileInformationByHandle(in.h, &info) || !identity_of(in.h, identity))
        raise_win32_error(GetLastError(), from);
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) raise_error(err::permission_denied, from);
    const std::uint64_t size = identity.size;
    // An existing target is found when the copy is named, which never replaces anything.

    // Everything that needs memory comes before the temporary file is made, so that running
    // out of it leaves nothing behind.
    const std::wstring final_path = extended_path(target);
    const std::wstring folder = folder_of(final_path);
    Copy copy{nullptr,
              {},
              final_path,
              folder,
              0,
              {},
              CommittedCopy{narrow(source), narrow(target), from, to, identity, {}}};
    buffer_.resize(buffer_size);
    copies_.reserve(copies_.size() + 1);

    // Hidden while it is written, and never read-only then: the copy gets the source's
    // attributes only when it is committed.
    const std::wstring separator = folder.back() == L'\\' ? L"" : L"\\";
    Handle out;
    for (int attempt = 0;; ++attempt) {
        std::wstring temp = folder + separator + temp_prefix +
                            std::to_wstring(GetCurrentProcessId()) + L"-" +
                            std::to_wstring(++serial_);
        out.h = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        if (out) {
            copy.temp = std::move(temp);
            break;
        }
        // A name left by an earlier run that was killed, or in use: try the next one.
        const DWORD e = GetLastError();
        if ((e != ERROR_FILE_EXISTS && e != ERROR_ALREADY_EXISTS) || attempt == 100)
            raise_win32_error(e, to);
    }
    const std::wstring& temp = copy.temp;

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
        // Wine answers a write that fills the disk as done, with fewer bytes written; the rest,
        // written again, fails with the cause itself (ERROR_DISK_FULL).
        for (DWORD done = 0; failure == ERROR_SUCCESS && done < got;) {
            DWORD put = 0;
            if (!WriteFile(out.h, buffer_.data() + done, got - done, &put, nullptr))
                failure = GetLastError();
            else if (put == 0)
                failure = ERROR_WRITE_FAULT;
            done += put;
        }
        if (failure != ERROR_SUCCESS) break;
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
    const DWORD attributes = info.dwFileAttributes & kept;
    const auto time = [](const FILETIME& t) {
        return static_cast<std::int64_t>((std::uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime);
    };
    copy.file = out.release();
    copy.attributes = attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL;
    copy.times[0] = time(info.ftCreationTime);
    copy.times[1] = time(info.ftLastAccessTime);
    copy.times[2] = time(info.ftLastWriteTime);
    copies_.push_back(std::move(copy));
    return size;
}

void StagedCopies::finish(std::vector<Copy>& batch, std::vector<DWORD>& errors) {
    // Each copy gets its final attributes and times, then it is flushed, with its metadata.
    // Who it is then is who it will be under its final name: a take-back later removes it
    // only while it is still this file.
    std::atomic<std::size_t> next{0};
    auto work = [&] {
        for (std::size_t i; (i = next++) < batch.size();) {
            Copy& copy = batch[i];
            FILE_BASIC_INFO basic{};
            basic.CreationTime.QuadPart = copy.times[0];
            basic.LastAccessTime.QuadPart = copy.times[1];
            basic.LastWriteTime.QuadPart = copy.times[2];
            basic.FileAttributes = copy.attributes;
            if (!SetFileInformationByHandle(copy.file, FileBasicInfo, &basic, sizeof basic) ||
                !FlushFileBuffers(copy.file) || !identity_of(copy.file, copy.named.named))
                errors[i] = GetLastError();
        }
    };
    static const std::size_t parallel_flushes =
        flushes_at_a_time(std::getenv("PAKSCOUR_FLUSH_THREADS"));
    std::vector<std::thread> helpers;
    // Threads that cannot be had, for want of memory or of threads, leave the rest to this one.
    try {
        helpers.reserve(std::min(parallel_flushes, batch.size()));
        for (std::size_t t = 1; t < std::min(parallel_flushes, batch.size()); ++t)
            helpers.emplace_back(work);
    } catch (const std::system_error&) {
    } catch (const std::bad_alloc&) {
    }
    work();
    for (std::thread& helper : helpers) helper.join();
}

std::vector<CommittedCopy> StagedCopies::commit(RuntimeError& failure) {
    std::vector<Copy> batch = std::exchange(copies_, {});
    std::vector<DWORD> errors;
    std::vector<CommittedCopy> named;
    try {
        errors.assign(batch.size(), ERROR_SUCCESS);
        named.reserve(batch.size());
    } catch (const std::bad_alloc&) {
        // Nothing is named: the batch goes as if its first copy had failed.
        for (Copy& copy : batch) discard(copy);
        out_of_memory(failure);
        return {};
    }

    finish(batch, errors);
    for (Copy& copy : batch) {
        CloseHandle(copy.file);
        copy.file = nullptr;
    }

    // Named in order, without replacing anything; the first failure ends the naming. Nothing
    // from here on needs memory but the description of a failure.
    std::size_t count = 0;
    for (; count < batch.size(); ++count) {
        Copy& copy = batch[count];
        if (errors[count] != ERROR_SUCCESS) {
            describe(failure, errors[count], copy.named.windows_copy);
            break;
        }
        if (!MoveFileExW(copy.temp.c_str(), copy.target.c_str(), MOVEFILE_WRITE_THROUGH)) {
            describe(failure, GetLastError(), copy.named.windows_copy);
            break;
        }
        named.push_back(std::move(copy.named));
    }
    for (std::size_t i = count; i < batch.size(); ++i) discard(batch[i]);

    // The new names reach the disk with their folders, each folder once in a row.
    const std::wstring* flushed = nullptr;
    for (std::size_t i = 0; i < count; ++i) {
        if (flushed != nullptr && *flushed == batch[i].folder) continue;
        flushed = &batch[i].folder;
        flush_extended_folder(flushed->c_str());
    }
    return named;
}

}  // namespace pakscour::win32
