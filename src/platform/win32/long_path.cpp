#include "platform/win32/long_path.h"

#include <windows.h>

#include <algorithm>
#include <vector>

namespace pakscour::win32 {

namespace {

constexpr std::wstring_view verbatim = L"\\\\?\\";
constexpr std::wstring_view device = L"\\\\.\\";

bool drive_letter(wchar_t c) {
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

// The full ordinary path of a relative one ("x.pk3", "\Games\x", "C:x"), by the current folder.
std::wstring full_path(const std::wstring& path) {
    // Only the folder part goes through GetFullPathNameW, which would turn a last component
    // such as "CON.pk3" into a device and drop a trailing dot.
    const auto cut = path.find_last_of(L'\\');
    std::wstring folder = cut == std::wstring::npos ? std::wstring() : path.substr(0, cut + 1);
    const std::wstring name = cut == std::wstring::npos ? path : path.substr(cut + 1);
    if (folder.empty() && path.size() >= 2 && path[1] == L':' && drive_letter(path[0])) {
        folder = path.substr(0, 2);  // "C:x": the current folder of drive C
        return full_path(folder + L".\\" + path.substr(2));
    }
    if (folder.empty()) folder = L".\\";
    const DWORD n = GetFullPathNameW(folder.c_str(), 0, nullptr, nullptr);
    if (n == 0) return path;
    std::wstring full(n, L'\0');
    const DWORD got = GetFullPathNameW(folder.c_str(), n, full.data(), nullptr);
    if (got == 0 || got >= n) return path;
    full.resize(got);
    if (full.back() != L'\\') full += L'\\';
    return full + name;
}

}  // namespace

std::wstring extended_path(std::wstring_view given) {
    if (given.substr(0, 4) == verbatim || given.substr(0, 4) == device) return std::wstring(given);
    std::wstring path(given);
    std::replace(path.begin(), path.end(), L'/', L'\\');

    std::wstring root;
    std::size_t rest = 0;
    if (path.size() >= 2 && path[0] == L'\\' && path[1] == L'\\') {
        // \\server\share\...: the server and the share stay as the root.
        std::size_t end = path.find(L'\\', 2);
        end = end == std::wstring::npos ? path.size() : path.find(L'\\', end + 1);
        if (end == std::wstring::npos) end = path.size();
        root = L"\\\\?\\UNC\\" + path.substr(2, end - 2);
        rest = end;
    } else {
        if (!(path.size() >= 3 && drive_letter(path[0]) && path[1] == L':' && path[2] == L'\\'))
            path = full_path(path);
        if (path.size() < 3 || path[1] != L':') return std::wstring(verbatim) + path;
        root = std::wstring(verbatim) + path.substr(0, 2);
        rest = 2;
    }

    std::vector<std::wstring_view> parts;
    const std::wstring_view tail = std::wstring_view(path).substr(rest);
    for (std::size_t at = 0; at <= tail.size();) {
        std::size_t end = tail.find(L'\\', at);
        if (end == std::wstring_view::npos) end = tail.size();
        const std::wstring_view part = tail.substr(at, end - at);
        if (part == L"..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != L".") {
            parts.push_back(part);
        }
        at = end + 1;
    }
    std::wstring out = root;
    for (const std::wstring_view part : parts) {
        out += L'\\';
        out += part;
    }
    if (parts.empty()) out += L'\\';
    return out;
}

std::wstring folder_of(const std::wstring& path) {
    const auto cut = path.find_last_of(L"\\/");
    if (cut == std::wstring::npos) return L".";
    // The root of a drive keeps its backslash: "C:" alone is the drive's current folder, and
    // "\\?\C:" the volume itself.
    if (cut >= 2 && path[cut - 1] == L':' && (cut == 2 || path[cut - 3] == L'\\'))
        return path.substr(0, cut + 1);
    return path.substr(0, cut);
}

}  // namespace pakscour::win32
