// Helpers of the registry store tests: a temporary prefix folder whose registry files the
// tests write, and a read of one value the way the value reader does it (a buffer of 255
// spaces, type REG_SZ on the way in).
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "fake_prefix.h"
#include "platform/posix/posix_registry_store.h"
#include "platform/registry_store.h"

namespace pakscour::test {

constexpr RegHandle hkcr = 0x80000000u;
constexpr RegHandle hkcu = 0x80000001u;
constexpr RegHandle hklm = 0x80000002u;

inline const std::string reg_header =
    "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n";

// A temporary folder for the registry files.
struct TempDir : TempFolder {
    TempDir() : TempFolder(fs::temp_directory_path(), "pakscour-reg") {}
    void write(const std::string& name, const std::string& text) const {
        std::ofstream(root() / name, std::ios::binary) << text;
    }
};

struct Read {
    std::int32_t status = -1;
    std::uint32_t type = reg::reg_sz;
    std::uint32_t size = 0;
    std::vector<std::uint8_t> buffer;

    // The data bytes the store reported, as text.
    std::string data() const {
        return {buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(size)};
    }
};

inline Read read_value(RegistryStore& store, RegHandle key, const std::string& name,
                       std::uint32_t buffer_size = 255) {
    Read r;
    r.size = buffer_size;
    r.buffer.assign(buffer_size, ' ');
    r.status = store.query_value(key, name, r.type, r.buffer, r.size);
    return r;
}

// Opens `path` below `root`, reads `name` and closes the key again. The status is that of the
// first call that failed.
inline Read read_at(RegistryStore& store, RegHandle root, const std::string& path,
                    const std::string& name) {
    RegHandle key = 0;
    Read r;
    r.status = store.open_key(root, path, reg::key_read, key);
    if (r.status != reg::success) return r;
    r = read_value(store, key, name);
    if (store.close_key(key) != reg::success) r.status = -2;
    return r;
}

// The UTF-16LE bytes of `text` (ASCII) as hex(6) data, for a link's SymbolicLinkValue.
inline std::string utf16_hex(const std::string& text) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char ch : text) {
        if (!out.empty()) out += ',';
        out += digits[ch >> 4];
        out += digits[ch & 15];
        out += ",00";
    }
    return out;
}

inline std::string link_key(const std::string& escaped_key, const std::string& target) {
    return "[" + escaped_key + "] 1700000000\n#link\n\"SymbolicLinkValue\"=hex(6):" +
           utf16_hex("\\Registry\\Machine\\" + target) + "\n\n";
}

}  // namespace pakscour::test
