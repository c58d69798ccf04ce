#include "platform/posix/fs_names.h"

#include <cstddef>
#include <cstdint>

namespace pakscour::posix {
namespace {

constexpr char32_t invalid = 0xFFFFFFFF;

// Decodes the code point at `pos` and moves `pos` past it; `invalid` for a malformed,
// overlong or surrogate sequence.
char32_t decode(std::string_view s, std::size_t& pos) {
    const auto b0 = static_cast<unsigned char>(s[pos++]);
    if (b0 < 0x80) return b0;
    int extra;
    char32_t cp;
    char32_t min;
    if ((b0 & 0xE0) == 0xC0) {
        extra = 1, cp = b0 & 0x1F, min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        extra = 2, cp = b0 & 0x0F, min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        extra = 3, cp = b0 & 0x07, min = 0x10000;
    } else {
        return invalid;
    }
    for (int i = 0; i < extra; ++i) {
        if (pos >= s.size()) return invalid;
        const auto b = static_cast<unsigned char>(s[pos]);
        if ((b & 0xC0) != 0x80) return invalid;
        cp = (cp << 6) | (b & 0x3F);
        ++pos;
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return invalid;
    return cp;
}

// Simple upper-case folding of the scripts game folders are named in.
char32_t fold(char32_t c) {
    if (c < 0x80) return (c >= 'a' && c <= 'z') ? c - 0x20 : c;
    if ((c >= 0xE0 && c <= 0xFE && c != 0xF7)) return c - 0x20;
    if (c == 0xFF) return 0x178;
    if (c >= 0x100 && c <= 0x137) return c & ~char32_t{1};
    if (c >= 0x139 && c <= 0x148) return (c & 1) ? c : c - 1;
    if (c >= 0x14A && c <= 0x177) return c & ~char32_t{1};
    if (c >= 0x179 && c <= 0x17E) return (c & 1) ? c : c - 1;
    if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) return c - 0x20;
    if (c == 0x3C2) return 0x3A3;
    if (c >= 0x430 && c <= 0x44F) return c - 0x20;
    if (c >= 0x450 && c <= 0x45F) return c - 0x50;
    return c;
}

char32_t next_folded(std::string_view s, std::size_t& pos) {
    return fold(decode(s, pos));
}

}  // namespace

bool windows_nameable(std::string_view name) {
    for (std::size_t pos = 0; pos < name.size();) {
        const char32_t c = decode(name, pos);
        if (c == invalid || c < 0x20 || c == 0x7F) return false;
        switch (c) {
            case '\\':
            case '/':
            case ':':
            case '*':
            case '?':
            case '"':
            case '<':
            case '>':
            case '|':
                return false;
            default:
                break;
        }
    }
    return true;
}

bool equal_ignoring_case(std::string_view a, std::string_view b) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (next_folded(a, i) != next_folded(b, j)) return false;
    }
    return i == a.size() && j == b.size();
}

std::u32string case_key(std::string_view name) {
    std::u32string key;
    key.reserve(name.size());
    for (std::size_t pos = 0; pos < name.size();) key.push_back(next_folded(name, pos));
    return key;
}

std::uint64_t case_hash(std::string_view name) {
    // FNV-1a over the folded characters.
    std::uint64_t hash = 14695981039346656037ull;
    for (std::size_t pos = 0; pos < name.size();) {
        hash ^= next_folded(name, pos);
        hash *= 1099511628211ull;
    }
    return hash;
}

bool wildcard_match(std::string_view name, std::string_view pattern) {
    if (pattern == "*.*") pattern = "*";
    // Greedy matching with one back-tracking point: the position after the last star.
    std::size_t n = 0;
    std::size_t p = 0;
    std::size_t star = std::string_view::npos;
    std::size_t resume = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            star = ++p;
            resume = n;
            continue;
        }
        if (p < pattern.size()) {
            std::size_t n2 = n;
            std::size_t p2 = p;
            const char32_t nc = next_folded(name, n2);
            const char32_t pc = next_folded(pattern, p2);
            if (nc != invalid && (pc == '?' || pc == nc)) {
                n = n2;
                p = p2;
                continue;
            }
        }
        if (star == std::string_view::npos) return false;
        // Let the last star swallow one more character and try again from there.
        p = star;
        decode(name, resume);
        n = resume;
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

}  // namespace pakscour::posix
