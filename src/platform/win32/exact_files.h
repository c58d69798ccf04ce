// The few file operations every move of the Win32 file system is built of, each exact about
// which file it touches: files are opened without following a link or junction, renamed
// through their open handle by one rename that never replaces anything, and removed only while
// they are still the file meant. Paths here are extended-length ("\\?\C:\...").
#pragma once

#include <windows.h>

#include <string>

#include "platform/file_system.h"
#include "platform/win32/handle.h"

namespace pakscour::win32 {

// Opens the file or folder at `path` itself, never what a link or junction there points to,
// with `access` and `share`. Check the handle: Windows fails the open and sets GetLastError.
Handle open_exactly(const std::wstring& path, DWORD access, DWORD share);

// Who the file open as `file` is, and its attributes and number of names. False when Windows
// cannot tell.
bool identity_of(HANDLE file, FileIdentity& identity, DWORD* attributes = nullptr,
                 DWORD* links = nullptr);
// Who the file at `path` is, opened for its attributes only (which no sharing refuses). False
// when nothing is there or Windows cannot tell.
bool identity_at(const std::wstring& path, FileIdentity& identity);

// Gives the file open as `file` (with DELETE access) the name `to`, never replacing anything:
// the one rename of every move, of the naming of a copy and of the exact removal. Returns 0 or
// the Win32 error (ERROR_ALREADY_EXISTS when `to` is taken, ERROR_NOT_SAME_DEVICE when it is on
// another file system, ERROR_NOT_ENOUGH_MEMORY when memory runs out).
DWORD rename_open_file(HANDLE file, const std::wstring& to) noexcept;

// A name for a file of this program's own beside `name` in `folder` that nothing else bears
// yet, as a path: ".pakscour-<process>-<serial>-<name>", hidden by its dot and its attribute.
// Left behind only by a program that was killed; it holds a whole file or a part of a copy.
std::wstring hidden_path(const std::wstring& folder, const std::wstring& name);
inline constexpr wchar_t hidden_prefix[] = L".pakscour-";

// Makes a folder's entries durable: FlushFileBuffers on a handle of the folder open for
// writing (NTFS then commits its journal; FAT and Wine's host file systems write the folder).
// Returns 0, or the Win32 error of a disk that failed (a device I/O error or a full disk); a
// file system that cannot flush a folder counts as flushed.
DWORD flush_folder(HANDLE folder);
// Opens the folder at `path` for writing and flushes it; a folder that cannot be opened so is
// left to its file system.
void flush_folder_at(const std::wstring& path);

// The exact removal: removes the file at `path` only while it is the file `expected` (and,
// with `second_name`, only while it also bears another name). It is opened without following
// links, checked on that handle, renamed to a hidden name, checked there again, and deleted
// through the handle; a read-only file loses the attribute first. Another file found at either
// moment is left (put back under `path`) and the answer is false, as when `path` is empty. A
// refusal raises, naming `text`, with the file back under `path`.
bool remove_exactly(const std::wstring& path, const FileIdentity& expected, bool second_name,
                    const std::string& text);

}  // namespace pakscour::win32
