#include "platform/win32/win32_registry_store.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "platform/win32/wide.h"

namespace pakscour::win32 {

namespace {

constexpr RegHandle first_root = 0x80000000u;
constexpr RegHandle last_root = 0x80000006u;

bool string_type(std::uint32_t type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

}  // namespace

std::vector<std::uint8_t> store_bytes(std::uint32_t type, const std::vector<std::uint8_t>& raw) {
    if (!string_type(type)) return raw;
    // A stray odd byte is half a character and is dropped.
    std::wstring text(raw.size() / 2, L'\0');
    if (!text.empty()) std::memcpy(text.data(), raw.data(), text.size() * sizeof(wchar_t));
    const std::string utf8 = narrow(text);
    return {utf8.begin(), utf8.end()};
}

Win32RegistryStore::~Win32RegistryStore() {
    for (auto& [id, key] : open_) RegCloseKey(static_cast<HKEY>(key));
}

std::int32_t Win32RegistryStore::open_key(RegHandle root, const std::string& sub_key,
                                          std::uint32_t access, RegHandle& key) {
    HKEY parent = nullptr;
    if (root >= first_root && root <= last_root) {
        parent = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(root));
    } else if (auto it = open_.find(root); it != open_.end()) {
        parent = static_cast<HKEY>(it->second);
    } else {
        return reg::invalid_handle;
    }
    // Only read access is ever granted, whatever the caller asks for.
    const REGSAM sam = (access & KEY_READ) | KEY_READ | KEY_WOW64_32KEY;
    HKEY opened = nullptr;
    const LONG status = RegOpenKeyExW(parent, widen(sub_key).c_str(), 0, sam, &opened);
    if (status != ERROR_SUCCESS) return status;
    key = next_++;
    open_[key] = opened;
    return reg::success;
}

std::int32_t Win32RegistryStore::query_value(RegHandle key, const std::string& name,
                                             std::uint32_t& type, std::vector<std::uint8_t>& data,
                                             std::uint32_t& size) {
    const auto it = open_.find(key);
    if (it == open_.end()) return reg::invalid_handle;
    const HKEY hkey = static_cast<HKEY>(it->second);
    const std::wstring wname = widen(name);

    // Read the value exactly as stored: a buffer of the stored size leaves the registry no room
    // to append a NUL to a string stored without one. The value may grow between the calls,
    // so retry on more data.
    DWORD kind = 0;
    DWORD bytes = 0;
    LONG status = RegQueryValueExW(hkey, wname.c_str(), nullptr, &kind, nullptr, &bytes);
    std::vector<std::uint8_t> raw;
    while (status == ERROR_SUCCESS && bytes > 0) {
        raw.resize(bytes);
        status = RegQueryValueExW(hkey, wname.c_str(), nullptr, &kind, raw.data(), &bytes);
        if (status == ERROR_SUCCESS) {
            raw.resize(bytes);
            break;
        }
        if (status == ERROR_MORE_DATA) status = ERROR_SUCCESS;
    }
    if (status != ERROR_SUCCESS) return status;

    const std::vector<std::uint8_t> out = store_bytes(kind, raw);
    type = kind;
    const std::size_t capacity = std::min<std::size_t>(size, data.size());
    size = static_cast<std::uint32_t>(out.size());
    if (out.size() > capacity) return reg::more_data;
    std::copy(out.begin(), out.end(), data.begin());
    return reg::success;
}

std::int32_t Win32RegistryStore::close_key(RegHandle key) {
    const auto it = open_.find(key);
    if (it == open_.end()) return reg::invalid_handle;
    const LONG status = RegCloseKey(static_cast<HKEY>(it->second));
    open_.erase(it);
    return status;
}

}  // namespace pakscour::win32
