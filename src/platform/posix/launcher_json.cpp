#include "platform/posix/launcher_json.h"

#include <nlohmann/json.hpp>

namespace pakscour::posix {
namespace {

using nlohmann::json;

// The document when it is an object; nothing for malformed or truncated text. The parser keeps
// its own stack rather than recursing, so deep nesting cannot exhaust the program's.
std::optional<json> top_object(std::string_view text) {
    json root = json::parse(text.begin(), text.end(), nullptr, false);
    if (root.is_discarded() || !root.is_object()) return std::nullopt;
    return root;
}

// `object["winePrefix"]` as an absolute path, "~" expanded.
std::optional<std::string> prefix_of(const json& object, const std::string& home) {
    if (!object.is_object()) return std::nullopt;
    const auto it = object.find("winePrefix");
    if (it == object.end() || !it->is_string()) return std::nullopt;
    std::string value = it->get<std::string>();
    if (value == "~" || value.rfind("~/", 0) == 0) value = home + value.substr(1);
    if (value.empty() || value.front() != '/') return std::nullopt;
    return value;
}

}  // namespace

std::optional<std::string> heroic_game_prefix(std::string_view text, const std::string& app_name,
                                              const std::string& home) {
    const auto root = top_object(text);
    if (!root) return std::nullopt;
    if (const auto it = root->find(app_name); it != root->end())
        if (auto prefix = prefix_of(*it, home)) return prefix;
    for (const auto& [name, value] : root->items())
        if (auto prefix = prefix_of(value, home)) return prefix;
    return std::nullopt;
}

std::optional<std::string> heroic_default_prefix(std::string_view text, const std::string& home) {
    const auto root = top_object(text);
    if (!root) return std::nullopt;
    const auto it = root->find("defaultSettings");
    if (it == root->end()) return std::nullopt;
    return prefix_of(*it, home);
}

}  // namespace pakscour::posix
