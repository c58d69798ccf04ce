#include "platform/win32/win32_file_system.h"

#include <windows.h>

#include "platform/runtime_error.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_errors.h"

namespace pakscour::win32 {

namespace {

wchar_t fold(wchar_t c) {
    CharUpperBuffW(&c, 1);
    return c;
}

bool plain_file(const WIN32_FIND_DATAW& d) {
    constexpr DWORD excluded = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN |
                               FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DEVICE |
                               FILE_ATTRIBUTE_REPARSE_POINT;
    return (d.dwFileAttributes & excluded) == 0;
}

// Closes a handle when it goes out of scope.
struct HandleGuard {
    HANDLE h;
    ~HandleGuard() {
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
};

bool file_size(const std::wstring& path, ULONGLONG& size) {
    WIN32_FILE_ATTRIBUTE_DATA a;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &a)) return false;
    size = (static_cast<ULONGLONG>(a.nFileSizeHigh) << 32) | a.nFileSizeLow;
    return true;
}

std::wstring parent_folder(const std::wstring& path) {
    const auto cut = path.find_last_of(L"\\/");
    return cut == std::wstring::npos ? std::wstring(L".") : path.substr(0, cut);
}

}  // namespace

bool wildcard_match(std::wstring_view name, std::wstring_view pattern) {
    if (pattern == L"*.*") pattern = L"*";
    std::size_t n = 0, p = 0, star = std::wstring_view::npos, resume = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == L'*') {
            star = p++;
            resume = n;
        } else if (p < pattern.size() &&
                   (pattern[p] == L'?' || fold(pattern[p]) == fold(name[n]))) {
            ++p;
            ++n;
        } else if (star != std::wstring_view::npos) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == L'*') ++p;
    return p == pattern.size();
}

Win32FileSystem::~Win32FileSystem() {
    close_find();
}

void Win32FileSystem::close_find() {
    if (find_) FindClose(static_cast<HANDLE>(find_));
    find_ = nullptr;
}

std::string Win32FileSystem::find_first(const std::string& pattern) {
    close_find();
    pattern_path_ = widen(pattern);
    const auto cut = pattern_path_.find_last_of(L"\\/");
    file_pattern_ = cut == std::wstring::npos ? pattern_path_ : pattern_path_.substr(cut + 1);
    return next_match(true);
}

std::string Win32FileSystem::find_next() {
    return next_match(false);
}

std::string Win32FileSystem::next_match(bool first) {
    WIN32_FIND_DATAW d;
    for (bool start = first;; start = false) {
        if (start) {
            HANDLE h = FindFirstFileW(pattern_path_.c_str(), &d);
            if (h == INVALID_HANDLE_VALUE) {
                const DWORD e = GetLastError();
                if (e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND ||
                    e == ERROR_NO_MORE_FILES)
                    return {};
                raise_win32_error(e, narrow(pattern_path_));
            }
            find_ = h;
        } else {
            if (!find_) return {};
            if (!FindNextFileW(static_cast<HANDLE>(find_), &d)) {
                close_find();
                return {};
            }
        }
        if (plain_file(d) && wildcard_match(d.cFileName, file_pattern_)) return narrow(d.cFileName);
    }
}

std::string Win32FileSystem::create_folder(const std::string& path) {
    const std::wstring wide = widen(path);
    if (!CreateDirectoryW(wide.c_str(), nullptr)) raise_win32_error(GetLastError(), path);
    return path;
}

std::uint64_t Win32FileSystem::stage_copy(const std::string& from, const std::string& to) {
    const std::wstring src = widen(from);
    const std::wstring dst = widen(to);
    if (!CopyFileW(src.c_str(), dst.c_str(), TRUE)) {
        const DWORD e = GetLastError();
        // A failed copy may leave a partial target behind; it is ours only when the target did
        // not exist before.
        if (e != ERROR_FILE_EXISTS && e != ERROR_ALREADY_EXISTS) DeleteFileW(dst.c_str());
        raise_win32_error(e, to);
    }
    // Make the copy durable and check it is whole before anyone deletes the original.
    DWORD failure = ERROR_SUCCESS;
    {
        HandleGuard copy{CreateFileW(dst.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)};
        LARGE_INTEGER copied{};
        ULONGLONG original = 0;
        if (copy.h == INVALID_HANDLE_VALUE || !FlushFileBuffers(copy.h) ||
            !GetFileSizeEx(copy.h, &copied)) {
            failure = GetLastError();
        } else if (!file_size(src, original)) {
            failure = GetLastError();
        } else if (static_cast<ULONGLONG>(copied.QuadPart) != original) {
            failure = ERROR_WRITE_FAULT;
        }
    }
    if (failure != ERROR_SUCCESS) {
        DeleteFileW(dst.c_str());
        if (failure == ERROR_WRITE_FAULT) raise_error(err::device_io, to);
        raise_win32_error(failure, to);
    }
    // The folder entry: file systems that allow it flush the folder too; NTFS journals it.
    HandleGuard folder{CreateFileW(parent_folder(dst).c_str(), GENERIC_READ | GENERIC_WRITE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr)};
    if (folder.h != INVALID_HANDLE_VALUE) FlushFileBuffers(folder.h);
    ++staged_;
    ULONGLONG size = 0;
    file_size(dst, size);
    return size;
}

std::size_t Win32FileSystem::commit_copies(RuntimeError&) {
    const std::size_t named = staged_;
    staged_ = 0;
    return named;
}

void Win32FileSystem::delete_file(const std::string& path) {
    const std::wstring wide = widen(path);
    if (!DeleteFileW(wide.c_str())) raise_win32_error(GetLastError(), path);
}

}  // namespace pakscour::win32
