#include "platform/win32/exact_files.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <vector>

#include "platform/runtime_error.h"
#include "platform/win32/long_path.h"
#include "platform/win32/win32_errors.h"

namespace pakscour::win32 {

namespace {

bool set_attributes(HANDLE file, DWORD attributes) {
    FILE_BASIC_INFO basic{};  // times of 0 stay as they are
    basic.FileAttributes = attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL;
    return SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof basic) != 0;
}

std::wstring name_of(const std::wstring& path) {
    return path.substr(path.find_last_of(L'\\') + 1);
}

}  // namespace

Handle open_exactly(const std::wstring& path, DWORD access, DWORD share) {
    return Handle(CreateFileW(path.c_str(), access, share, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

bool identity_of(HANDLE file, FileIdentity& identity, DWORD* attributes, DWORD* links) {
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(file, &info)) return false;
    identity.volume = info.dwVolumeSerialNumber;
    identity.id_high = info.nFileIndexHigh;
    identity.id_low = info.nFileIndexLow;
    identity.size = (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
    identity.modified =
        static_cast<std::int64_t>((std::uint64_t{info.ftLastWriteTime.dwHighDateTime} << 32) |
                                  info.ftLastWriteTime.dwLowDateTime);
    if (attributes) *attributes = info.dwFileAttributes;
    if (links) *links = info.nNumberOfLinks;
    return true;
}

bool identity_at(const std::wstring& path, FileIdentity& identity) {
    const Handle file = open_exactly(path, FILE_READ_ATTRIBUTES,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
    return file && identity_of(file.h, identity);
}

DWORD rename_open_file(HANDLE file, const std::wstring& to) noexcept {
    const std::size_t bytes = to.size() * sizeof(wchar_t);
    const std::size_t size = offsetof(FILE_RENAME_INFO, FileName) + bytes + sizeof(wchar_t);
    std::vector<std::uint64_t> storage;
    try {
        storage.assign((size + 7) / 8, 0);
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(storage.data());
    info->ReplaceIfExists = FALSE;
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>(bytes);
    std::memcpy(info->FileName, to.data(), bytes);
    // The new name as the kernel takes it: "\??\C:\..." for "\\?\C:\...".
    if (to.rfind(L"\\\\?\\", 0) == 0) info->FileName[1] = info->FileName[2] = L'?';
    if (SetFileInformationByHandle(file, FileRenameInfo, info, static_cast<DWORD>(size))) return 0;
    return GetLastError();
}

std::wstring hidden_path(const std::wstring& folder, const std::wstring& name) {
    static std::atomic<unsigned> serial{0};
    std::wstring hidden = hidden_prefix + std::to_wstring(GetCurrentProcessId()) + L"-" +
                          std::to_wstring(++serial) + L"-";
    // A name has at most 255 characters: a long one is cut, the prefix keeps it unique.
    hidden += name.substr(0, hidden.size() < 255 ? 255 - hidden.size() : 0);
    return folder.back() == L'\\' ? folder + hidden : folder + L'\\' + hidden;
}

DWORD flush_folder(HANDLE folder) {
    if (FlushFileBuffers(folder)) return 0;
    // Only a failure of the disk itself counts: a file system or a share that does not flush
    // folders (or not for this user) answers with other errors, and is left to its own.
    const DWORD e = GetLastError();
    const std::int32_t number = classic_error_number(e);
    return number == err::device_io || number == err::disk_full ? e : 0;
}

void flush_folder_at(const std::wstring& path) {
    const Handle folder(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (folder) flush_folder(folder.h);
}

bool remove_exactly(const std::wstring& path, const FileIdentity& expected, bool second_name,
                    const std::string& text) {
    // While this handle is open nobody can rename, replace or write the file, as it shares
    // reading only; one who holds it open otherwise makes the open fail, which refuses the
    // removal.
    const Handle file = open_exactly(
        path, DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES | SYNCHRONIZE, FILE_SHARE_READ);
    if (!file) {
        const DWORD e = GetLastError();
        if (e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND) return false;
        raise_win32_error(e, text);
    }
    FileIdentity now;
    DWORD attributes = 0, links = 0;
    if (!identity_of(file.h, now, &attributes, &links)) raise_win32_error(GetLastError(), text);
    if (now != expected || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ||
        (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 || (second_name && links < 2))
        return false;

    // Under a hidden name first, and checked there: Wine renames whatever bears a name by the
    // time of the rename, even through a handle, so a file that took this one's place from the
    // host meanwhile is found here and put back.
    const std::wstring folder = folder_of(path), name = name_of(path);
    std::wstring hidden;
    for (int attempt = 0;; ++attempt) {
        hidden = hidden_path(folder, name);
        const DWORD e = rename_open_file(file.h, hidden);
        if (e == 0) break;
        if (e != ERROR_ALREADY_EXISTS || attempt == 100) raise_win32_error(e, text);
    }
    FileIdentity there;
    if (!identity_at(hidden, there) || there != expected) {
        rename_open_file(file.h, path);
        return false;
    }

    const bool read_only = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
    DWORD e = ERROR_SUCCESS;
    if (read_only && !set_attributes(file.h, attributes & ~DWORD{FILE_ATTRIBUTE_READONLY})) {
        e = GetLastError();
    } else {
        FILE_DISPOSITION_INFO disposition{TRUE};
        if (SetFileInformationByHandle(file.h, FileDispositionInfo, &disposition,
                                       sizeof disposition))
            return true;
        e = GetLastError();
        if (read_only) set_attributes(file.h, attributes);
    }
    rename_open_file(file.h, path);
    raise_win32_error(e, text);
}

}  // namespace pakscour::win32
