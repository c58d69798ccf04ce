#include "platform/win32/win32_file_system.h"

#include <windows.h>

#include <tuple>
#include <utility>

#include "platform/runtime_error.h"
#include "platform/win32/exact_files.h"
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

// The ordinary form of an extended-length path, for reports.
std::string ordinary(const std::wstring& path) {
    if (path.rfind(L"\\\\?\\UNC\\", 0) == 0) return narrow(L"\\\\" + path.substr(8));
    if (path.rfind(L"\\\\?\\", 0) == 0) return narrow(path.substr(4));
    return narrow(path);
}

bool same_path(const std::wstring& a, const std::wstring& b) {
    return a.size() == b.size() &&
           CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
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
    close_folders();
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
    std::wstring made = wide;
    DWORD e = make_folder(wide);
    // Refused below a protected folder: the games write there through the VirtualStore, and
    // so does this. Where the VirtualStore copy of the content folder does not exist, no file
    // to be moved is in it, and the originals in the real folder could not be moved either:
    // then the refusal stands, before anything is moved.
    if (e == ERROR_ACCESS_DENIED || e == ERROR_PATH_NOT_FOUND) {
        const std::wstring copy = store_.copy_of(wide);
        if (!copy.empty() && is_folder(folder_of(copy))) {
            if (const DWORD again = make_folder(copy); again != ERROR_SUCCESS)
                raise_win32_error(again, narrow(copy));
            made = copy;
            e = ERROR_SUCCESS;
        }
    }
    if (e != ERROR_SUCCESS) raise_win32_error(e, path);
    // Its entry is on disk before the first file moves in, and it is held open from now on,
    // checked to be the plain folder made, not a link or junction put in its place.
    const std::wstring extended = extended_path(made);
    flush_folder_at(folder_of(extended));
    made_.insert(folded(extended));
    open_folder(extended, true);
    return made == wide ? path : narrow(made);
}

std::wstring Win32FileSystem::where(const std::wstring& path) const {
    std::wstring copy = store_.copy_of(path);
    if (!copy.empty() && attributes_of(copy) != INVALID_FILE_ATTRIBUTES) return copy;
    return path;
}

bool Win32FileSystem::is_backup(const std::wstring& folder, const std::wstring& other) const {
    if (made_.count(folded(folder)) != 0) return true;
    const std::wstring parent = folder_of(folder);
    return parent.size() < folder.size() && same_path(parent, other);
}

Win32FileSystem::OpenFolder& Win32FileSystem::open_folder(const std::wstring& path, bool checked) {
    for (OpenFolder& f : open_)
        if (same_path(f.path, path)) {
            if (checked && !f.checked) break;
            return f;
        }
    // For writing, to flush it, where that is allowed; sharing no delete, so that nobody
    // renames it, removes it or puts a junction in its place while it is open.
    const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (checked ? FILE_FLAG_OPEN_REPARSE_POINT : 0);
    bool writable = true;
    HANDLE h =
        CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, flags, nullptr);
    if (h == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED) {
        writable = false;
        h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                        OPEN_EXISTING, flags, nullptr);
    }
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD e = GetLastError();
        raise_win32_error(e == ERROR_FILE_NOT_FOUND ? DWORD{ERROR_PATH_NOT_FOUND} : e,
                          ordinary(path));
    }
    Handle folder(h);
    FileIdentity who;
    DWORD attributes = 0;
    if (!identity_of(folder.h, who, &attributes)) raise_win32_error(GetLastError(), ordinary(path));
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        raise_win32_error(ERROR_PATH_NOT_FOUND, ordinary(path));
    if (checked && ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ||
                    !still_a_folder(OpenFolder{path, nullptr, writable, checked})))
        raise_error(err::permission_denied, ordinary(path));
    OpenFolder& opened = open_.emplace_back(OpenFolder{path, folder.h, writable, checked});
    folder.release();
    return opened;
}

bool Win32FileSystem::still_a_folder(const OpenFolder& folder) {
    const DWORD a = GetFileAttributesW(folder.path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
           (a & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
}

void Win32FileSystem::close_folders() {
    for (OpenFolder& f : open_) CloseHandle(static_cast<HANDLE>(f.handle));
    open_.clear();
}

Win32FileSystem::Places Win32FileSystem::places_of(const std::string& from,
                                                   const std::string& to) const {
    Places p;
    const std::wstring requested = widen(from);
    const std::wstring source = where(requested);
    p.source_text = source == requested ? from : narrow(source);
    p.source_path = extended_path(source);
    p.target_path = extended_path(widen(to));
    p.source_folder = folder_of(p.source_path);
    p.target_folder = folder_of(p.target_path);
    return p;
}

Moved Win32FileSystem::move_file(const std::string& from, const std::string& to) {
    const Places places = places_of(from, to);
    const std::string& source_text = places.source_text;
    const std::wstring &source_path = places.source_path, &target_path = places.target_path;
    const std::wstring &source_folder = places.source_folder, &target_folder = places.target_folder;

    OpenFolder& in = open_folder(source_folder, is_backup(source_folder, target_folder));
    if (in.checked && !still_a_folder(in)) raise_error(err::permission_denied, ordinary(in.path));
    // Only the plain file checked here moves: it is renamed through this handle, which shares
    // reading only, so that nobody renames, replaces or deletes it meanwhile.
    const Handle file =
        open_exactly(source_path, DELETE | FILE_READ_ATTRIBUTES | SYNCHRONIZE, FILE_SHARE_READ);
    if (!file) raise_win32_error(GetLastError(), source_text);
    FileIdentity who;
    DWORD attributes = 0;
    if (!identity_of(file.h, who, &attributes)) raise_win32_error(GetLastError(), source_text);
    if ((attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0)
        raise_error(err::permission_denied, source_text);
    OpenFolder& out = open_folder(target_folder, is_backup(target_folder, source_folder));
    if (out.checked && !still_a_folder(out))
        raise_error(err::permission_denied, ordinary(out.path));

    if (const DWORD e = rename_open_file(file.h, target_path); e != ERROR_SUCCESS) {
        if (e == ERROR_NOT_SAME_DEVICE) return Moved::other_file_system;
        raise_win32_error(e,
                          e == ERROR_ALREADY_EXISTS || e == ERROR_FILE_EXISTS ? to : source_text);
    }
    in.lost = out.gained = true;
    // Windows renames the very file open, into the folder held open. Wine renames whatever
    // bears the name by then, into whatever the folder's path leads to, which a host program
    // may have changed meanwhile: what went elsewhere, or is not the file checked, goes back.
    if (out.checked && !still_a_folder(out)) {
        rename_open_file(file.h, source_path);
        raise_error(err::permission_denied, ordinary(out.path));
    }
    if (FileIdentity there; !identity_at(target_path, there) || there != who) {
        const Handle other = open_exactly(target_path, DELETE | SYNCHRONIZE, FILE_SHARE_READ);
        if (other) rename_open_file(other.h, source_path);
        raise_error(err::file_not_found, source_text);
    }
    return Moved::renamed;
}

void Win32FileSystem::flush_moves() {
    // The folders that gained names first: a power cut between the two flushes leaves a file
    // under both names, never under none.
    DWORD failure = ERROR_SUCCESS;
    std::wstring failed;
    for (const bool gaining : {true, false})
        for (const OpenFolder& f : open_) {
            if (failure != ERROR_SUCCESS || !f.writable) continue;
            if (gaining ? !f.gained : (!f.lost || f.gained)) continue;
            failure = flush_folder(static_cast<HANDLE>(f.handle));
            if (failure != ERROR_SUCCESS) failed = f.path;
        }
    close_folders();
    if (failure != ERROR_SUCCESS) raise_win32_error(failure, ordinary(failed));
}

bool Win32FileSystem::remove_second_name(const std::string& path, const FileIdentity& who) {
    return remove_exactly(extended_path(widen(path)), who, true, path);
}

}  // namespace pakscour::win32
