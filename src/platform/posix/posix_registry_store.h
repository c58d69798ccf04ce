// The registry of a Wine prefix for the Linux build, read from its files: HKEY_LOCAL_MACHINE
// from <prefix>/system.reg (HKEY_CLASSES_ROOT is its Software\Classes) and HKEY_CURRENT_USER
// from <prefix>/user.reg. Both are read once, when the store is made, and never written. On a
// 64-bit prefix, keys are looked up as the 32-bit games see them (Wow6432Node first).
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/posix/wine_registry_lookup.h"
#include "platform/posix/wine_registry_tree.h"
#include "platform/registry_store.h"

namespace pakscour::posix {

class PosixRegistryStore : public RegistryStore {
  public:
    // Reads the prefix's registry files; a missing or unreadable file reads as no keys.
    explicit PosixRegistryStore(const std::filesystem::path& prefix_root);
    // A store over trees already read (HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER).
    PosixRegistryStore(WineRegistryTree machine, WineRegistryTree user);
    // Open handles point into the trees, so a store stays where it was made.
    PosixRegistryStore(const PosixRegistryStore&) = delete;
    PosixRegistryStore& operator=(const PosixRegistryStore&) = delete;

    std::int32_t open_key(RegHandle root, const std::string& sub_key, std::uint32_t access,
                          RegHandle& key) override;
    std::int32_t query_value(RegHandle key, const std::string& name, std::uint32_t& type,
                             std::vector<std::uint8_t>& data, std::uint32_t& size) override;
    std::int32_t close_key(RegHandle key) override;

  private:
    // The key a handle stands for: a predefined root or an open key. Nothing with the status
    // to return when there is none.
    std::optional<WineKeyRef> base(RegHandle handle, std::int32_t& status) const;
    std::optional<WineKeyRef> find(RegHandle root, WineKeyRef start,
                                   const std::string& sub_key) const;

    WineRegistryTree machine_;
    WineRegistryTree user_;
    std::map<RegHandle, WineKeyRef> open_;
};

// The text of a registry file; "" when it is missing, no regular file or unreadable.
std::string read_registry_file(const std::filesystem::path& path);

}  // namespace pakscour::posix
