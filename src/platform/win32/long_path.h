// Extended-length paths ("\\?\C:\...", "\\?\UNC\server\share\..."), which every file call of the
// Win32 file system uses: Windows then takes the path as it is, so a folder deeper than 260
// characters works and a file named like a device (CON.pk3, nul.iwd, com1.pk3) or ending in a
// dot or blank is that file, never a device or another file. Users keep seeing the ordinary
// path texts; these are for the calls only.
#pragma once

#include <string>
#include <string_view>

namespace pakscour::win32 {

// The extended-length form of `path`: "/" becomes "\", empty and "." components go and ".."
// takes back the component before it, as Windows does to an ordinary path; names are kept
// exactly, trailing dots and blanks included. A relative path is taken from the current folder.
// A path already in the "\\?\" or "\\.\" form is returned as it is.
std::wstring extended_path(std::wstring_view path);

// The folder of an extended-length or ordinary path: everything before its last "\", and a
// drive's root with its "\" ("\\?\C:\" for "\\?\C:\x.pk3").
std::wstring folder_of(const std::wstring& path);

}  // namespace pakscour::win32
