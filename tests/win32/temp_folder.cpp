#include "temp_folder.h"

#include <shellapi.h>

#include <algorithm>
#include <stdexcept>

#include "platform/win32/long_path.h"
#include "platform/win32/wide.h"

namespace pakscour::test {

using win32::narrow;
using win32::widen;

namespace {

// Every helper takes the extended-length form, so tests can make deep folders and names like
// devices.
std::wstring long_path(const std::string& path) {
    return win32::extended_path(widen(path));
}

void remove_tree(const std::wstring& folder) {
    WIN32_FIND_DATAW d;
    HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &d);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = d.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring full = folder + L"\\" + name;
            SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (d.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
                // A link: removed itself, never what it leads to.
                if (!DeleteFileW(full.c_str())) RemoveDirectoryW(full.c_str());
            } else if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                remove_tree(full);
            } else {
                DeleteFileW(full.c_str());
            }
        } while (FindNextFileW(h, &d));
        FindClose(h);
    }
    RemoveDirectoryW(folder.c_str());
}

}  // namespace

TempFolder::TempFolder() {
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    static int serial = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::wstring candidate = std::wstring(base) + L"pakscour-test-" +
                                       std::to_wstring(GetCurrentProcessId()) + L"-" +
                                       std::to_wstring(++serial);
        if (CreateDirectoryW(candidate.c_str(), nullptr)) {
            path_ = narrow(candidate);
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TempFolder::~TempFolder() {
    remove_tree(long_path(path_));
}

void write_file(const std::string& path, const std::string& content) {
    HANDLE h = CreateFileW(long_path(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot write " + path);
    DWORD written = 0;
    WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(h);
}

std::string read_file(const std::string& path) {
    HANDLE h = CreateFileW(long_path(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot read " + path);
    std::string out;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got > 0) out.append(buffer, got);
    CloseHandle(h);
    return out;
}

std::vector<std::string> files_in(const std::string& folder) {
    std::vector<std::string> out;
    WIN32_FIND_DATAW d;
    HANDLE h = FindFirstFileW((win32::extended_path(win32::widen(folder)) + L"\\*").c_str(), &d);
    if (h == INVALID_HANDLE_VALUE) return out;
    do {
        if (!(d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            out.push_back(win32::narrow(d.cFileName));
    } while (FindNextFileW(h, &d));
    FindClose(h);
    std::sort(out.begin(), out.end());
    return out;
}

bool exists(const std::string& path) {
    return GetFileAttributesW(long_path(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

void make_folder(const std::string& path) {
    CreateDirectoryW(long_path(path).c_str(), nullptr);
}

void make_folders(const std::string& path) {
    const std::wstring wide = long_path(path);
    // After the root: "\\\\?\\C:\\".
    for (auto cut = wide.find(L'\\', 7); cut != std::wstring::npos; cut = wide.find(L'\\', cut + 1))
        CreateDirectoryW(wide.substr(0, cut).c_str(), nullptr);
    CreateDirectoryW(wide.c_str(), nullptr);
}

void remove_tree(const std::string& path) {
    remove_tree(long_path(path));
}

void set_attributes(const std::string& path, DWORD attributes) {
    SetFileAttributesW(long_path(path).c_str(), attributes);
}

DWORD attributes(const std::string& path) {
    return GetFileAttributesW(long_path(path).c_str());
}

std::string host_path(const std::string& path) {
    using Unix = char*(CDECL*)(const wchar_t*);
    const auto to_unix = reinterpret_cast<Unix>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!to_unix) return {};
    char* unix_path = to_unix(widen(path).c_str());
    if (!unix_path) return {};
    std::string out = unix_path;
    HeapFree(GetProcessHeap(), 0, unix_path);
    return out;
}

bool host_link(const std::string& link, const std::string& target) {
    const std::string from = host_path(target), at = host_path(link);
    if (from.empty() || at.empty()) return false;
    // Wine runs a host program it is given; its end is not waited for, so the link is. A
    // folder at `link` is moved aside to `link`.replaced first.
    std::wstring command =
        widen("/bin/sh -c \"if [ -d '" + at + "' ] && [ ! -L '" + at + "' ]; then mv '" + at +
              "' '" + at + ".replaced'; fi; ln -sfn '" + from + "' '" + at + "'\"");
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(L"Z:\\bin\\sh", command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    for (int i = 0; i < 500; ++i) {
        const DWORD a = GetFileAttributesW(long_path(link).c_str());
        if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_REPARSE_POINT)) return true;
        Sleep(10);
    }
    return false;
}

}  // namespace pakscour::test
