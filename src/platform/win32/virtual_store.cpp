#include "platform/win32/virtual_store.h"

#include <windows.h>

#include <shlobj.h>

#include <algorithm>
#include <utility>

namespace pakscour::win32 {

namespace {

std::wstring with_backslashes(std::wstring_view path) {
    std::wstring out(path);
    std::replace(out.begin(), out.end(), L'/', L'\\');
    return out;
}

std::wstring without_final_backslash(std::wstring path) {
    while (path.size() > 3 && path.back() == L'\\') path.pop_back();
    return path;
}

bool same_text(std::wstring_view a, std::wstring_view b) {
    return a.size() == b.size() &&
           CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// A drive-letter path: "C:\..." (a UNC path or a relative one is never protected).
bool drive_path(std::wstring_view path) {
    return path.size() >= 3 && path[1] == L':' && path[2] == L'\\' &&
           ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z'));
}

std::wstring known_folder(REFKNOWNFOLDERID id) {
    PWSTR path = nullptr;
    std::wstring out;
    if (SHGetKnownFolderPath(id, KF_FLAG_DONT_VERIFY, nullptr, &path) == S_OK) out = path;
    CoTaskMemFree(path);
    return out;
}

std::wstring environment(const wchar_t* name) {
    wchar_t buffer[MAX_PATH];
    const DWORD n = GetEnvironmentVariableW(name, buffer, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::wstring(buffer, n) : std::wstring();
}

}  // namespace

VirtualStore VirtualStore::of_current_user() {
    // A 32-bit program on 64-bit Windows gets "Program Files (x86)" for FOLDERID_ProgramFiles
    // and cannot ask for the 64-bit one, which only the environment names (ProgramW6432).
    std::vector<std::wstring> folders = {
        known_folder(FOLDERID_ProgramFiles),    known_folder(FOLDERID_ProgramFilesX86),
        known_folder(FOLDERID_ProgramFilesX64), environment(L"ProgramW6432"),
        known_folder(FOLDERID_Windows),         known_folder(FOLDERID_ProgramData),
    };
    const std::wstring local = known_folder(FOLDERID_LocalAppData);
    return VirtualStore(std::move(folders), local.empty() ? local : local + L"\\VirtualStore");
}

VirtualStore::VirtualStore(std::vector<std::wstring> protected_folders, std::wstring store)
    : store_(without_final_backslash(with_backslashes(store))) {
    for (std::wstring& folder : protected_folders) {
        folder = without_final_backslash(with_backslashes(folder));
        if (!drive_path(folder)) continue;
        const bool known = std::any_of(protected_.begin(), protected_.end(),
                                       [&](const std::wstring& p) { return same_text(p, folder); });
        if (!known) protected_.push_back(std::move(folder));
    }
}

std::wstring VirtualStore::copy_of(std::wstring_view path) const {
    if (store_.empty()) return {};
    const std::wstring wanted = with_backslashes(path);
    if (!drive_path(wanted)) return {};
    for (const std::wstring& folder : protected_) {
        if (wanted.size() < folder.size() ||
            !same_text(std::wstring_view(wanted).substr(0, folder.size()), folder))
            continue;
        if (wanted.size() > folder.size() && wanted[folder.size()] != L'\\') continue;
        // The path without its drive letter and colon, below the store.
        return store_ + wanted.substr(2);
    }
    return {};
}

}  // namespace pakscour::win32
