#include "platform/posix/wine_registry_tree.h"

#include "platform/posix/wine_registry_text.h"

namespace pakscour::posix {

WineRegistryTree::WineRegistryTree() : keys_(1) {}

std::optional<WineRegistryTree::KeyId> WineRegistryTree::parent(KeyId key) const {
    return keys_[key].parent;
}

std::optional<WineRegistryTree::KeyId> WineRegistryTree::child(KeyId key,
                                                               std::string_view name) const {
    const auto& children = keys_[key].children;
    const auto found = children.find(fold_case(name));
    if (found == children.end()) return std::nullopt;
    return found->second;
}

const WineValue* WineRegistryTree::value(KeyId key, std::string_view name) const {
    const auto& values = keys_[key].values;
    const auto found = values.find(fold_case(name));
    return found == values.end() ? nullptr : &found->second;
}

std::vector<WineRegistryTree::KeyId> WineRegistryTree::children(KeyId key) const {
    std::vector<KeyId> ids;
    for (const auto& [folded, id] : keys_[key].children) ids.push_back(id);
    return ids;
}

std::vector<const WineValue*> WineRegistryTree::values(KeyId key) const {
    std::vector<const WineValue*> list;
    for (const auto& [folded, value] : keys_[key].values) list.push_back(&value);
    return list;
}

WineRegistryTree::KeyId WineRegistryTree::add_child(KeyId parent, std::string_view name) {
    std::string folded = fold_case(name);
    const auto found = keys_[parent].children.find(folded);
    if (found != keys_[parent].children.end()) return found->second;
    const KeyId id = keys_.size();
    // Take the new key's slot first: growing the table moves the parent's entry.
    keys_.push_back(Key{std::string(name), parent, false, {}, {}});
    keys_[parent].children.emplace(std::move(folded), id);
    return id;
}

void WineRegistryTree::set_value(KeyId key, WineValue value) {
    keys_[key].values.insert_or_assign(fold_case(value.name), std::move(value));
}

}  // namespace pakscour::posix
