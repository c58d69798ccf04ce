#include <windows.h>

#include <set>

#include "platform/runtime_error.h"
#include "platform/win32/exact_files.h"
#include "platform/win32/long_path.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_errors.h"
#include "platform/win32/win32_file_system.h"

namespace pakscour::win32 {

namespace {

std::wstring folded(std::wstring text) {
    if (!text.empty()) CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

bool is_folder(const std::wstring& path) {
    const DWORD a = GetFileAttributesW(extended_path(path).c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::wstring parent_of(const std::wstring& path) {
    const auto cut = path.find_last_of(L"\\/");
    return cut == std::wstring::npos ? std::wstring(L".") : path.substr(0, cut);
}

// Lists one real folder into `out`, skipping names already listed (ignoring case).
void list_one(const std::wstring& dir, std::set<std::wstring>& seen,
              std::vector<FileSystem::FolderEntry>& out, std::vector<std::wstring>& keys) {
    WIN32_FIND_DATAW d;
    const std::wstring pattern = extended_path(dir) + L"\\*";
    HANDLE h = FindFirstFileW(pattern.c_str(), &d);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD e = GetLastError();
        if (e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND || e == ERROR_NO_MORE_FILES)
            return;
        raise_win32_error(e, narrow(dir));
    }
    constexpr DWORD not_plain = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN |
                                FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DEVICE |
                                FILE_ATTRIBUTE_REPARSE_POINT;
    do {
        const std::wstring name = d.cFileName;
        if (name == L"." || name == L"..") continue;
        std::wstring key = folded(name);
        if (!seen.insert(key).second) {
            // A folder in both places is one folder to the games: it is named by its path in
            // the real folder, whose listing shows both.
            for (std::size_t i = 0; i < keys.size(); ++i)
                if (keys[i] == key && out[i].folder &&
                    (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
                    out[i].path = narrow(dir + L"\\" + name);
            continue;
        }
        FileSystem::FolderEntry entry;
        entry.name = narrow(name);
        entry.path = narrow(dir + L"\\" + name);
        entry.folder = (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
                       (d.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
        entry.plain = (d.dwFileAttributes & not_plain) == 0;
        if (entry.plain)
            entry.size = (std::uint64_t{d.nFileSizeHigh} << 32) | std::uint64_t{d.nFileSizeLow};
        out.push_back(std::move(entry));
        keys.push_back(std::move(key));
    } while (FindNextFileW(h, &d));
    const DWORD e = GetLastError();
    FindClose(h);
    // A list that broke off would pass for a complete one.
    if (e != ERROR_NO_MORE_FILES) raise_error(err::device_io, narrow(dir));
}

}  // namespace

std::vector<FileSystem::FolderEntry> Win32FileSystem::list_folder(const std::string& folder) {
    const std::wstring wide = widen(folder);
    std::set<std::wstring> seen;
    std::vector<FolderEntry> out;
    std::vector<std::wstring> keys;
    // The VirtualStore copy first: what it holds under a name is what the games see.
    if (const std::wstring copy = store_.copy_of(wide); !copy.empty())
        list_one(copy, seen, out, keys);
    list_one(wide, seen, out, keys);
    return out;
}

unsigned long Win32FileSystem::probe_writable(const std::wstring& folder) {
    const std::wstring probe =
        folder + L"\\.pakscour-probe-" + std::to_wstring(GetCurrentProcessId());
    HANDLE h = CreateFileW(extended_path(probe).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h == INVALID_HANDLE_VALUE) return GetLastError();
    CloseHandle(h);
    return ERROR_SUCCESS;
}

std::string Win32FileSystem::writable_folder(const std::string& folder) {
    const std::wstring wide = widen(folder);
    const DWORD e = probe_writable(wide);
    if (e == ERROR_SUCCESS) return folder;
    const std::wstring copy = store_.copy_of(wide);
    if (copy.empty() || (e != ERROR_ACCESS_DENIED && e != ERROR_PATH_NOT_FOUND))
        raise_win32_error(e, folder);
    // The games would make the copy's missing levels themselves on their first download.
    std::vector<std::wstring> missing;
    for (std::wstring at = copy; !is_folder(at); at = parent_of(at)) {
        if (at.size() <= 3 || at == parent_of(at)) raise_win32_error(e, folder);
        missing.push_back(at);
    }
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
        if (const DWORD again = make_folder(*it); again != ERROR_SUCCESS)
            raise_win32_error(again, narrow(*it));
        flush_folder_at(extended_path(parent_of(*it)));
    }
    return narrow(copy);
}

bool Win32FileSystem::remove_empty_folder(const std::string& folder) {
    const std::wstring wide = widen(folder);
    // The folders of the moves are closed by now; one still open would refuse its removal.
    close_folders();
    bool left = false;
    for (const std::wstring& place : {store_.copy_of(wide), wide}) {
        if (place.empty() || !is_folder(place)) continue;
        if (RemoveDirectoryW(extended_path(place).c_str())) {
            flush_folder_at(extended_path(parent_of(place)));
            continue;
        }
        const DWORD e = GetLastError();
        if (e == ERROR_DIR_NOT_EMPTY)
            left = true;
        else if (e != ERROR_FILE_NOT_FOUND && e != ERROR_PATH_NOT_FOUND)
            raise_win32_error(e, narrow(place));
    }
    return !left;
}

}  // namespace pakscour::win32
