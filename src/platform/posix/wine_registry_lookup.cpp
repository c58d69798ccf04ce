#include "platform/posix/wine_registry_lookup.h"

#include <vector>

#include "platform/posix/wine_registry_text.h"

namespace pakscour::posix {

namespace {

constexpr std::uint32_t reg_link = 6;
constexpr std::string_view machine_prefix = "\\registry\\machine";

std::vector<std::string_view> split_levels(std::string_view path) {
    std::vector<std::string_view> levels;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('\\', start);
        if (end == std::string_view::npos) end = path.size();
        if (end > start) levels.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return levels;
}

std::optional<WineKeyRef> walk(WineKeyRef at, std::string_view path,
                               const WineRegistryTree& machine, int& hops);

// `at` itself, or the key its chain of links ends on.
std::optional<WineKeyRef> follow_links(WineKeyRef at, const WineRegistryTree& machine, int& hops) {
    if (!at.tree->is_link(at.id)) return at;
    if (++hops > max_link_hops) return std::nullopt;
    const auto target = link_target(*at.tree, at.id);
    if (!target) return std::nullopt;
    return walk(WineKeyRef{&machine, WineRegistryTree::root}, *target, machine, hops);
}

std::optional<WineKeyRef> walk(WineKeyRef at, std::string_view path,
                               const WineRegistryTree& machine, int& hops) {
    auto current = follow_links(at, machine, hops);
    for (const std::string_view level : split_levels(path)) {
        if (!current) return std::nullopt;
        const auto child = current->tree->child(current->id, level);
        if (!child) return std::nullopt;
        current = follow_links(WineKeyRef{current->tree, *child}, machine, hops);
    }
    return current;
}

}  // namespace

std::optional<std::string> link_target(const WineRegistryTree& tree, WineRegistryTree::KeyId key) {
    const WineValue* value = tree.value(key, "SymbolicLinkValue");
    if (value == nullptr || value->type != reg_link) return std::nullopt;
    std::string target = utf16_to_utf8(utf16le_units(value->data));
    while (!target.empty() && target.back() == '\0') target.pop_back();
    if (fold_case(target.substr(0, machine_prefix.size())) != machine_prefix) return std::nullopt;
    if (target.size() > machine_prefix.size() && target[machine_prefix.size()] != '\\') {
        return std::nullopt;
    }
    return target.substr(machine_prefix.size());
}

std::optional<WineKeyRef> find_wine_key(WineKeyRef start, std::string_view path,
                                        const WineRegistryTree& machine) {
    int hops = 0;
    return walk(start, path, machine, hops);
}

}  // namespace pakscour::posix
