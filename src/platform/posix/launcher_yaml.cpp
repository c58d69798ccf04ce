#include "platform/posix/launcher_yaml.h"

#include <yaml-cpp/yaml.h>

#include <exception>

namespace pakscour::posix {
namespace {

// The document's top-level mapping; nothing for an empty, malformed or non-mapping text.
// yaml-cpp refuses nesting deeper than its guard allows with an exception, so a hostile file
// cannot exhaust the stack.
std::optional<YAML::Node> top_mapping(std::string_view text) {
    try {
        YAML::Node root = YAML::Load(std::string(text));
        if (root.IsMap()) return root;
    } catch (const std::exception&) {
    }
    return std::nullopt;
}

// The text of `map[key]` when it is a scalar (not null, not a list or mapping).
std::optional<std::string> scalar_entry(const YAML::Node& map, const char* key) {
    try {
        if (!map.IsMap()) return std::nullopt;
        const YAML::Node value = map[key];
        if (!value.IsDefined() || !value.IsScalar()) return std::nullopt;
        return value.Scalar();
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

}  // namespace

std::optional<std::string> lutris_prefix(std::string_view yaml, const std::string& home) {
    const auto root = top_mapping(yaml);
    if (!root) return std::nullopt;
    std::optional<std::string> value;
    try {
        value = scalar_entry((*root)["game"], "prefix");
        for (auto it = root->begin(); !value && it != root->end(); ++it)
            value = scalar_entry(it->second, "prefix");
    } catch (const std::exception&) {
        return std::nullopt;
    }
    if (!value) return std::nullopt;
    if (value->rfind("~/", 0) == 0) value = home + value->substr(1);
    if (value->empty() || value->front() != '/') return std::nullopt;
    return value;
}

std::optional<std::string> bottles_custom_path(std::string_view yaml) {
    const auto root = top_mapping(yaml);
    if (!root) return std::nullopt;
    auto value = scalar_entry(*root, "custom_bottles_path");
    if (!value || value->empty() || value->front() != '/') return std::nullopt;
    return value;
}

}  // namespace pakscour::posix
