// The copy of one file to another file system (Win32FileSystem::copy_file).
#include <windows.h>

#include <vector>

#include "platform/runtime_error.h"
#include "platform/win32/exact_files.h"
#include "platform/win32/handle.h"
#include "platform/win32/long_path.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_errors.h"
#include "platform/win32/win32_file_system.h"

namespace pakscour::win32 {

namespace {

constexpr DWORD buffer_size = 1 << 20;

// Removes a hidden copy of ours through its handle, read-only or not.
void discard(Handle& copy) {
    FILE_BASIC_INFO basic{};
    basic.FileAttributes = FILE_ATTRIBUTE_HIDDEN;
    SetFileInformationByHandle(copy.h, FileBasicInfo, &basic, sizeof basic);
    FILE_DISPOSITION_INFO disposition{TRUE};
    SetFileInformationByHandle(copy.h, FileDispositionInfo, &disposition, sizeof disposition);
    CloseHandle(copy.release());
}

// Copies the open `in` into the open `out`: 0, or the Win32 error, with `read_failed` set
// when it was the source's.
DWORD copy_data(HANDLE in, HANDLE out, std::vector<char>& buffer, ULONGLONG& copied,
                bool& read_failed) {
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(in, buffer.data(), buffer_size, &got, nullptr)) {
            read_failed = true;
            return GetLastError();
        }
        if (got == 0) return ERROR_SUCCESS;
        // Wine answers a write that fills the disk as done, with fewer bytes written; the rest,
        // written again, fails with the cause itself (ERROR_DISK_FULL).
        for (DWORD done = 0; done < got;) {
            DWORD put = 0;
            if (!WriteFile(out, buffer.data() + done, got - done, &put, nullptr))
                return GetLastError();
            if (put == 0) return ERROR_WRITE_FAULT;
            done += put;
        }
        copied += got;
    }
}

}  // namespace

Copied Win32FileSystem::copy_file(const std::string& from, const std::string& to) {
    const Places places = places_of(from, to);
    const std::string& source_text = places.source_text;
    const std::wstring &source_path = places.source_path, &target_path = places.target_path;
    const std::wstring &source_folder = places.source_folder, &target_folder = places.target_folder;

    OpenFolder& in = open_folder(source_folder, is_backup(source_folder, target_folder));
    if (in.checked && !still_a_folder(in)) raise_error(err::permission_denied, source_text);
    // Others may read the original meanwhile, but not change, rename or delete it. Who it is,
    // is recorded from this very handle, so that its removal can tell it is still this file.
    Handle original = open_exactly(
        source_path, GENERIC_READ | DELETE | FILE_WRITE_ATTRIBUTES | SYNCHRONIZE, FILE_SHARE_READ);
    if (!original) raise_win32_error(GetLastError(), source_text);
    FileIdentity who;
    DWORD attributes = 0;
    FILE_BASIC_INFO basic{};
    if (!identity_of(original.h, who, &attributes) ||
        !GetFileInformationByHandleEx(original.h, FileBasicInfo, &basic, sizeof basic))
        raise_win32_error(GetLastError(), source_text);
    if ((attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0)
        raise_error(err::permission_denied, source_text);
    OpenFolder& out = open_folder(target_folder, is_backup(target_folder, source_folder));
    if (out.checked && !still_a_folder(out)) raise_error(err::permission_denied, to);

    // Written under a hidden name of its own, never read-only meanwhile.
    std::vector<char> buffer(buffer_size);
    const std::wstring name = target_path.substr(target_path.find_last_of(L'\\') + 1);
    Handle copy;
    for (int attempt = 0; !copy; ++attempt) {
        copy.h = CreateFileW(
            hidden_path(target_folder, name).c_str(),
            GENERIC_WRITE | DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES | SYNCHRONIZE, 0,
            nullptr, CREATE_NEW, FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        const DWORD e = GetLastError();
        if (!copy && ((e != ERROR_FILE_EXISTS && e != ERROR_ALREADY_EXISTS) || attempt == 100))
            raise_win32_error(e, to);
    }
    ULONGLONG copied = 0;
    bool read_failed = false;
    DWORD failure = copy_data(original.h, copy.h, buffer, copied, read_failed);
    LARGE_INTEGER written{};
    if (failure == ERROR_SUCCESS && !GetFileSizeEx(copy.h, &written)) failure = GetLastError();
    if (failure == ERROR_SUCCESS &&
        (copied != who.size || static_cast<ULONGLONG>(written.QuadPart) != who.size)) {
        discard(copy);
        raise_error(err::device_io, source_text);
    }
    // The original's attributes (read-only included) and times, then on disk, then named.
    constexpr DWORD kept =
        FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    basic.FileAttributes = (attributes & kept) != 0 ? attributes & kept : FILE_ATTRIBUTE_NORMAL;
    basic.ChangeTime.QuadPart = 0;
    FileIdentity made;
    if (failure == ERROR_SUCCESS &&
        (!SetFileInformationByHandle(copy.h, FileBasicInfo, &basic, sizeof basic) ||
         !FlushFileBuffers(copy.h) || !identity_of(copy.h, made)))
        failure = GetLastError();
    if (failure == ERROR_SUCCESS) failure = rename_open_file(copy.h, target_path);
    if (failure != ERROR_SUCCESS) {
        discard(copy);
        // A read error belongs to the source; every other failure to the target.
        raise_win32_error(failure, read_failed ? source_text : to);
    }
    out.gained = true;
    CloseHandle(copy.release());
    // On disk under its name, and checked, before the original goes: what bears the name is
    // the copy, in the folder checked (Wine lets a host program change either meanwhile).
    failure = out.writable ? flush_folder(static_cast<HANDLE>(out.handle)) : ERROR_SUCCESS;
    if (FileIdentity there; failure != ERROR_SUCCESS || (out.checked && !still_a_folder(out)) ||
                            !identity_at(target_path, there) || there != made) {
        remove_exactly(target_path, made, false, to);
        if (failure != ERROR_SUCCESS) raise_win32_error(failure, to);
        raise_error(err::permission_denied, to);
    }

    // The original goes only while it is still the file copied.
    CloseHandle(original.release());
    try {
        if (!remove_exactly(source_path, who, false, source_text)) return Copied::in_both;
    } catch (const RuntimeError&) {
        // The original is still there: removing the copy loses nothing, and a move tried again
        // makes no second copy of it. A copy that cannot be taken back stays beside it.
        try {
            remove_exactly(target_path, made, false, to);
        } catch (const RuntimeError&) {
        }
        throw;
    }
    in.lost = true;
    return Copied::moved;
}

}  // namespace pakscour::win32
