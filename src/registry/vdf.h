// Reader of Valve's KeyValues text (VDF), the format of Steam's libraryfolders.vdf and app
// manifests: "key" "value" pairs and "key" { ... } blocks, quoted or bare tokens, // comments.
// Text in, tree out. Hard limits on size, nesting, token length and entry count keep hostile
// files cheap; a text beyond them, or malformed, reads as nothing.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pakscour {

struct VdfNode {
    std::string key;
    std::string value;              // a pair's value
    std::vector<VdfNode> children;  // a block's entries, in file order
    bool block = false;

    // The first entry of this block whose key equals `name` ignoring ASCII case, or nullptr.
    const VdfNode* find(std::string_view name) const;
};

namespace vdf_limits {
inline constexpr std::size_t max_size = std::size_t{4} << 20;
inline constexpr std::size_t max_depth = 32;
inline constexpr std::size_t max_token = 8192;
inline constexpr std::size_t max_entries = 65536;
}  // namespace vdf_limits

// The whole text as one unnamed block holding its top-level entries. Nothing when the text is
// malformed (an unterminated string, a key without value, unbalanced braces) or exceeds a
// limit. Escapes in quoted tokens: \\ \" \n \t; any other backslash is kept as it stands.
std::optional<VdfNode> parse_vdf(std::string_view text);

// ASCII case-insensitive comparison, as Steam compares keys.
bool vdf_key_equal(std::string_view a, std::string_view b);

}  // namespace pakscour
