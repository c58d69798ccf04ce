#include "platform/win32/win32_game_finder.h"

#include <windows.h>

#include <exception>
#include <vector>

#include "platform/win32/wide.h"

namespace pakscour::win32 {
namespace {

// "SteamPath" of the current user's Steam key, or "" when there is none.
std::string steam_path_value() {
    const wchar_t* key = L"Software\\Valve\\Steam";
    DWORD bytes = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, key, L"SteamPath", RRF_RT_REG_SZ, nullptr, nullptr,
                     &bytes) != ERROR_SUCCESS ||
        bytes < sizeof(wchar_t) || bytes > 65536) {
        return {};
    }
    std::wstring text(bytes / sizeof(wchar_t), L'\0');
    if (RegGetValueW(HKEY_CURRENT_USER, key, L"SteamPath", RRF_RT_REG_SZ, nullptr, text.data(),
                     &bytes) != ERROR_SUCCESS) {
        return {};
    }
    text.resize(wcsnlen(text.c_str(), text.size()));
    return narrow(text);
}

DWORD attributes(const std::string& path) {
    return GetFileAttributesW(widen(path).c_str());
}

bool is_folder(const std::string& path) {
    const DWORD a = attributes(path);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Windows compares names ignoring case, so "MAIN\PAK0.PK3" is found as well.
bool holds(const std::string& folder, const GameMark& mark) {
    const std::string file =
        folder + (folder.empty() || folder.back() == '\\' ? "" : "\\") + mark.archive;
    const DWORD a = attributes(file);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// Under Wine, the Windows path of a host path ("/home/p/CoD" gives "Z:\home\p\CoD"), so
// that a Linux player may name a folder the way the shell completes it; nothing on Windows,
// where kernel32 has no such function.
std::optional<std::string> wine_dos_path(const std::string& host) {
    using ToDos = LPWSTR(CDECL*)(LPCSTR);
    const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    if (kernel == nullptr) return std::nullopt;
    const auto to_dos = reinterpret_cast<ToDos>(
        reinterpret_cast<void (*)()>(GetProcAddress(kernel, "wine_get_dos_file_name")));
    if (to_dos == nullptr) return std::nullopt;
    LPWSTR dos = to_dos(host.c_str());
    if (dos == nullptr) return std::nullopt;
    std::string out = narrow(dos);
    HeapFree(GetProcessHeap(), 0, dos);
    return out;
}

}  // namespace

std::string full_folder_path(const std::string& path) {
    const std::wstring wide = widen(path);
    const DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (size == 0 || path.empty()) return {};
    std::wstring full(size, L'\0');
    const DWORD got = GetFullPathNameW(wide.c_str(), size, full.data(), nullptr);
    if (got == 0 || got >= size) return {};
    full.resize(got);
    while (full.size() > 3 && full.back() == L'\\') full.pop_back();
    return narrow(full);
}

std::vector<std::string> program_folders() {
    std::wstring path(32768, L'\0');
    const DWORD got = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (got == 0 || got >= path.size()) return {};
    path.resize(got);
    std::vector<std::string> out;
    for (int level = 0; level < 2; ++level) {
        const std::size_t slash = path.find_last_of(L'\\');
        if (slash == std::wstring::npos) break;
        path.resize(slash);
        // "C:" alone is the current folder on drive C, not its root.
        const std::wstring folder = path.size() == 2 && path[1] == L':' ? path + L"\\" : path;
        if (folder.empty()) break;
        out.push_back(narrow(folder));
        if (folder.size() <= 3) break;
    }
    return out;
}

Win32GameFinder::Win32GameFinder(const std::vector<std::string>& named,
                                 std::vector<std::string> beside)
    : beside_(std::move(beside)) {
    std::vector<NamedFolder> folders;
    for (const std::string& given : named) {
        std::string full = full_folder_path(given);
        if (!is_folder(full) && !given.empty() && given.front() == '/') {
            if (auto dos = wine_dos_path(given)) full = full_folder_path(*dos);
        }
        NamedFolder folder{full.empty() ? given : full, "", FolderProblem::missing};
        if (!full.empty() && is_folder(full))
            folder.folder = full;
        else if (!full.empty() && attributes(full) != INVALID_FILE_ATTRIBUTES)
            folder.problem = FolderProblem::not_folder;
        folders.push_back(std::move(folder));
    }
    named_ = NamedFolders(folders, holds);
}

std::optional<FoundGame> Win32GameFinder::named(const GameQuery& game) {
    if (auto folder = named_.folder_for(game.key_path)) return FoundGame{std::move(*folder), ""};
    return std::nullopt;
}

std::optional<std::string> Win32TextFiles::read(const std::string& path) {
    const HANDLE file = CreateFileW(widen(path).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    std::optional<std::string> out;
    BY_HANDLE_FILE_INFORMATION info;
    LARGE_INTEGER size;
    if (GetFileType(file) == FILE_TYPE_DISK && GetFileInformationByHandle(file, &info) &&
        !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && GetFileSizeEx(file, &size) &&
        size.QuadPart >= 0 && static_cast<std::uint64_t>(size.QuadPart) <= max_text_file) {
        std::string text;
        std::vector<char> buffer(65536);
        bool ok = true;
        for (;;) {
            DWORD got = 0;
            if (!ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr) ||
                text.size() + got > max_text_file) {
                ok = false;
                break;
            }
            if (got == 0) break;
            text.append(buffer.data(), got);
        }
        if (ok) out = std::move(text);
    }
    CloseHandle(file);
    return out;
}

std::string normalise_steam_path(const std::string& path) {
    std::wstring text = widen(path);
    for (wchar_t& ch : text)
        if (ch == L'/') ch = L'\\';
    if (text.size() < 2 || text[1] != L':') return narrow(text);
    if (text[0] >= L'a' && text[0] <= L'z') text[0] = static_cast<wchar_t>(text[0] - L'a' + L'A');
    // Each component as the folder lists it, as far as the components exist.
    std::wstring out = text.substr(0, 2);
    std::size_t pos = 2;
    bool on_disk = true;
    while (pos < text.size()) {
        const std::size_t start = text.find_first_not_of(L'\\', pos);
        if (start == std::wstring::npos) break;
        std::size_t end = text.find(L'\\', start);
        if (end == std::wstring::npos) end = text.size();
        std::wstring part = text.substr(start, end - start);
        pos = end;
        if (on_disk && part.find_first_of(L"*?") == std::wstring::npos && part != L"." &&
            part != L"..") {
            WIN32_FIND_DATAW found;
            const HANDLE h = FindFirstFileW((out + L"\\" + part).c_str(), &found);
            if (h != INVALID_HANDLE_VALUE) {
                FindClose(h);
                if (CompareStringOrdinal(found.cFileName, -1, part.c_str(), -1, TRUE) == CSTR_EQUAL)
                    part = found.cFileName;
            } else {
                on_disk = false;
            }
        }
        out += L"\\" + part;
    }
    return narrow(out);
}

std::optional<FoundGame> Win32GameFinder::find(const GameQuery& game) {
    try {
        const std::string steam = steam_path_value();
        if (!steam.empty()) {
            const auto libraries = steam_libraries(files_, {normalise_steam_path(steam)}, '\\');
            if (auto app = find_steam_app(files_, libraries, game.steam_app_id, '\\'))
                return FoundGame{std::move(app->folder), ""};
        }
    } catch (const std::exception&) {
    }
    if (auto folder = first_holding(beside_, game.key_path, holds))
        return FoundGame{std::move(*folder), ""};
    return std::nullopt;
}

}  // namespace pakscour::win32
