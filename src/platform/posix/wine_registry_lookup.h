// Finds a key by its path in the Wine registry trees, the way Windows opens one: each level
// matched ignoring case, and link keys (#link, whose SymbolicLinkValue names a
// \Registry\Machine\… key) followed wherever they stand on the path. A chain of more than
// `max_link_hops` links, a loop included, finds nothing.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/posix/wine_registry_tree.h"

namespace pakscour::posix {

struct WineKeyRef {
    const WineRegistryTree* tree = nullptr;
    WineRegistryTree::KeyId id = WineRegistryTree::root;
};

constexpr int max_link_hops = 8;

// The machine-relative path a link key points to ("Software\Classes" for
// "\Registry\Machine\Software\Classes"); nothing when the key has no REG_LINK target there.
std::optional<std::string> link_target(const WineRegistryTree& tree, WineRegistryTree::KeyId key);

// `path` below `start` (levels joined by "\", empty levels ignored, "" for `start` itself).
std::optional<WineKeyRef> find_wine_key(WineKeyRef start, std::string_view path,
                                        const WineRegistryTree& machine);

}  // namespace pakscour::posix
