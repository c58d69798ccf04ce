#include "platform/win32/win32_file_system.h"

#include <windows.h>

#include <tuple>
#include <utility>

#include "platform/runtime_error.h"
#include "platform/win32/handle.h"
#include "platform/win32/long_path.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_errors.h"

namespace pakscour::win32 {

namespace {

wchar_t fold(wchar_t c) {
    CharUpperBuffW(&c, 1);
    return c;
}

std::wstring folded(std::wstring text) {
    if (!text.empty()) CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

bool plain_file(const WIN32_FIND_DATAW& d) {
    constexpr DWORD excluded = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN |
                               FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DEVICE |
                               FILE_ATTRIBUTE_REPARSE_POINT;
    return (d.dwFileAttributes & excluded) == 0;
}

// `name` inside `folder`, which may end in a backslash (a drive's root) or not.
std::wstring joined(const std::wstring& folder, const std::wstring& name) {
    return folder.back() == L'\\' ? folder + name : folder + L'\\' + name;
}

DWORD attributes_of(const std::wstring& path) {
    return GetFileAttributesW(extended_path(path).c_str());
}

bool is_folder(const std::wstring& path) {
    const DWORD a = attributes_of(path);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Deletes the file at the extended-length path `path`; a read-only file loses the attribute
// just before the delete is tried again, and gets it back if that fails too. `text` names the
// file in a report.
void delete_at(const std::wstring& path, const std::string& text) {
    if (DeleteFileW(path.c_str())) return;
    DWORD e = GetLastError();
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (e == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & FILE_ATTRIBUTE_READONLY) != 0 &&
        (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        const DWORD cleared = attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
        if (SetFileAttributesW(path.c_str(), cleared != 0 ? cleared : FILE_ATTRIBUTE_NORMAL)) {
            if (DeleteFileW(path.c_str())) return;
            e = GetLastError();
            SetFileAttributesW(path.c_str(), attributes);
        }
    }
    raise_win32_error(e, text);
}

bool set_attributes(HANDLE file, DWORD attributes) {
    FILE_BASIC_INFO basic{};  // times of 0 stay as they are
    basic.FileAttributes = attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL;
    return SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof basic) != 0;
}

// Deletes the file at the exact place `path` (no VirtualStore choice) while it is still the file
// `expected`: opened with delete access and sharing reads only, checked on that handle, and
// deleted through it, so that nothing can take its place in between. While the handle is open
// nobody can rename, replace or write the file; one who holds it open otherwise makes the open
// fail, which refuses the delete. A link or a folder put in its place opens as itself, and is not
// the file expected. A read-only file loses the attribute just before, and gets it back if the
// delete is refused. False when the place is empty or holds another file; a refusal raises,
// naming `text`.
bool delete_exactly(const std::string& path, const FileIdentity& expected,
                    const std::string& text) {
    const Handle file(CreateFileW(
        extended_path(widen(path)).c_str(), DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
        FILE_SHARE_READ, nullptr, OPEN_EXISTING,
        FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file) {
        const DWORD e = GetLastError();
        if (e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND) return false;
        raise_win32_error(e, text);
    }
    BY_HANDLE_FILE_INFORMATION info;
    FileIdentity now;
    if (!GetFileInformationByHandle(file.h, &info) || !identity_of(file.h, now))
        raise_win32_error(GetLastError(), text);
    if (now != expected || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return false;

    const DWORD attributes = info.dwFileAttributes;
    const bool read_only = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
    if (read_only &&
        !set_attributes(file.h, attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY)))
        raise_win32_error(GetLastError(), text);
    FILE_DISPOSITION_INFO disposition{TRUE};
    if (!SetFileInformationByHandle(file.h, FileDispositionInfo, &disposition,
                                    sizeof disposition)) {
        const DWORD e = GetLastError();
        if (read_only) set_attributes(file.h, attributes);
        raise_win32_error(e, text);
    }
    return true;
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

Win32FileSystem::Win32FileSystem() : store_(VirtualStore::of_current_user()) {}

Win32FileSystem::Win32FileSystem(VirtualStore store) : store_(std::move(store)) {}

Win32FileSystem::~Win32FileSystem() {
    close_find();
}

void Win32FileSystem::close_find() {
    if (find_) FindClose(static_cast<HANDLE>(find_));
    find_ = nullptr;
}

std::string Win32FileSystem::find_first(const std::string& pattern) {
    close_find();
    folders_.clear();
    next_folder_ = 0;
    shadowed_.clear();
    const std::wstring wide = widen(pattern);
    const auto cut = wide.find_last_of(L"\\/");
    if (cut == std::wstring::npos) {
        file_pattern_ = wide;
        folders_.emplace_back(std::wstring(), false);
    } else {
        file_pattern_ = wide.substr(cut + 1);
        const std::wstring folder = wide.substr(0, cut);
        if (std::wstring copy = store_.copy_of(folder); !copy.empty())
            folders_.emplace_back(std::move(copy), true);
        folders_.emplace_back(folder, false);
    }
    return next_match();
}

std::string Win32FileSystem::find_next() {
    return next_match();
}

std::string Win32FileSystem::next_match() {
    WIN32_FIND_DATAW d;
    for (;;) {
        if (!find_) {
            if (next_folder_ >= folders_.size()) return {};
            std::tie(folder_, listing_store_) = folders_[next_folder_++];
            const std::wstring path =
                folder_.empty() ? file_pattern_ : joined(extended_path(folder_), file_pattern_);
            HANDLE h = FindFirstFileW(path.c_str(), &d);
            if (h == INVALID_HANDLE_VALUE) {
                const DWORD e = GetLastError();
                // A missing folder, or one without a match, adds nothing to the list.
                if (e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND ||
                    e == ERROR_NO_MORE_FILES)
                    continue;
                folders_.clear();
                raise_win32_error(e,
                                  narrow(folder_.empty() ? path : folder_ + L"\\" + file_pattern_));
            }
            find_ = h;
        } else if (!FindNextFileW(static_cast<HANDLE>(find_), &d)) {
            const DWORD e = GetLastError();
            close_find();
            if (e != ERROR_NO_MORE_FILES) {
                // The list broke off: ending it here would pass for a complete list.
                folders_.clear();
                raise_error(err::device_io, narrow(folder_));
            }
            continue;
        }
        if (!wildcard_match(d.cFileName, file_pattern_)) continue;
        // Whatever the VirtualStore copy holds under a name is what the games see under it,
        // even when that is a folder or a hidden file.
        std::wstring key = folded(d.cFileName);
        if (listing_store_) {
            shadowed_.insert(std::move(key));
        } else if (shadowed_.count(key) != 0) {
            continue;
        }
        if (plain_file(d)) return narrow(d.cFileName);
    }
}

unsigned long Win32FileSystem::make_folder(const std::wstring& path) {
    return CreateDirectoryW(extended_path(path).c_str(), nullptr) ? ERROR_SUCCESS : GetLastError();
}

std::string Win32FileSystem::create_folder(const std::string& path) {
    const std::wstring wide = widen(path);
    const DWORD e = make_folder(wide);
    if (e == ERROR_SUCCESS) {
        flush_folder(folder_of(wide));
        return path;
    }
    // Refused below a protected folder: the games write there through the VirtualStore, and
    // so does this. Where the VirtualStore copy of the content folder does not exist, no file
    // to be moved is in it, and the originals in the real folder could not be deleted either:
    // then the refusal stands, before anything is copied.
    if (e == ERROR_ACCESS_DENIED || e == ERROR_PATH_NOT_FOUND) {
        const std::wstring copy = store_.copy_of(wide);
        if (!copy.empty() && is_folder(folder_of(copy))) {
            if (const DWORD again = make_folder(copy); again != ERROR_SUCCESS)
                raise_win32_error(again, narrow(copy));
            flush_folder(folder_of(copy));
            return narrow(copy);
        }
    }
    raise_win32_error(e, path);
}

std::wstring Win32FileSystem::where(const std::wstring& path) const {
    std::wstring copy = store_.copy_of(path);
    if (!copy.empty() && attributes_of(copy) != INVALID_FILE_ATTRIBUTES) return copy;
    return path;
}

Moved Win32FileSystem::move_file(const std::string& from, const std::string& to) {
    const std::wstring requested = widen(from);
    const std::wstring source = where(requested);
    const std::string source_text = source == requested ? from : narrow(source);
    const std::wstring source_path = extended_path(source);
    // Only a plain file moves: a folder or a link put in the file's place stays where it is.
    const DWORD attributes = GetFileAttributesW(source_path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) raise_win32_error(GetLastError(), source_text);
    if ((attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0)
        raise_error(err::permission_denied, source_text);
    // Neither replacing nor copying: the file keeps its data where it is and only changes its
    // name, or nothing happens at all.
    if (MoveFileExW(source_path.c_str(), extended_path(widen(to)).c_str(), 0))
        return Moved::renamed;
    const DWORD e = GetLastError();
    if (e == ERROR_NOT_SAME_DEVICE) return Moved::other_file_system;
    raise_win32_error(e, e == ERROR_ALREADY_EXISTS || e == ERROR_FILE_EXISTS ? to : source_text);
}

void Win32FileSystem::flush_moves() {
    // Nothing to do: Windows cannot flush a folder's entries, and NTFS journals each rename, so
    // that after a crash the file bears one of its two names, whole.
}

std::uint64_t Win32FileSystem::stage_copy(const std::string& from, const std::string& to) {
    const std::wstring requested = widen(from);
    const std::wstring source = where(requested);
    return staged_.stage(source, widen(to), source == requested ? from : narrow(source), to);
}

std::vector<CommittedCopy> Win32FileSystem::commit_copies(RuntimeError& failure) {
    return staged_.commit(failure);
}

bool Win32FileSystem::delete_original(const CommittedCopy& copy) {
    return delete_exactly(copy.source, copy.original, copy.windows_source);
}

bool Win32FileSystem::remove_copy(const CommittedCopy& copy) {
    return delete_exactly(copy.copy, copy.named, copy.windows_copy);
}

void Win32FileSystem::delete_file(const std::string& path) {
    const std::wstring requested = widen(path);
    const std::wstring actual = where(requested);
    delete_at(extended_path(actual), actual == requested ? path : narrow(actual));
}

}  // namespace pakscour::win32
