// The keys and values of one Wine registry file, as read into memory: a tree of keys whose
// names keep their case and compare ignoring it, each with typed values. Keys live in one
// flat table and refer to each other by index, so even a very deep tree is freed without
// recursion.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pakscour::posix {

struct WineValue {
    std::string name;  // "" for the default value
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;  // UTF-8 for string types, raw bytes otherwise
};

class WineRegistryTree {
  public:
    using KeyId = std::size_t;
    static constexpr KeyId root = 0;

    WineRegistryTree();

    // Whether the file was written for a 64-bit prefix (#arch=win64).
    bool win64() const { return win64_; }
    void set_win64(bool win64) { win64_ = win64; }

    std::size_t key_count() const { return keys_.size(); }
    const std::string& name(KeyId key) const { return keys_[key].name; }
    bool is_link(KeyId key) const { return keys_[key].link; }
    std::optional<KeyId> parent(KeyId key) const;

    // The sub-key of `key` called `name` (any case).
    std::optional<KeyId> child(KeyId key, std::string_view name) const;
    // The value of `key` called `name` (any case; "" is the default value).
    const WineValue* value(KeyId key, std::string_view name) const;

    // Sub-keys and values in the order of their folded names.
    std::vector<KeyId> children(KeyId key) const;
    std::vector<const WineValue*> values(KeyId key) const;

    // The sub-key `name` of `parent`, created when missing; an existing one keeps its case.
    KeyId add_child(KeyId parent, std::string_view name);
    // Stores a value, replacing one of the same name (any case).
    void set_value(KeyId key, WineValue value);
    void mark_link(KeyId key) { keys_[key].link = true; }

  private:
    struct Key {
        std::string name;
        std::optional<KeyId> parent;
        bool link = false;
        std::map<std::string, KeyId> children;    // by folded name
        std::map<std::string, WineValue> values;  // by folded name
    };
    std::vector<Key> keys_;
    bool win64_ = false;
};

}  // namespace pakscour::posix
