// The registry store over advapi32 (RegOpenKeyExW, RegQueryValueExW, RegCloseKey), read-only.
// Keys are opened in the 32-bit view, the one the games' 32-bit installers write; string data
// comes back as UTF-8 with its NUL.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/registry_store.h"

namespace pakscour::win32 {

class Win32RegistryStore : public RegistryStore {
  public:
    Win32RegistryStore() = default;
    Win32RegistryStore(const Win32RegistryStore&) = delete;
    Win32RegistryStore& operator=(const Win32RegistryStore&) = delete;
    ~Win32RegistryStore() override;

    std::int32_t open_key(RegHandle root, const std::string& sub_key, std::uint32_t access,
                          RegHandle& key) override;
    std::int32_t query_value(RegHandle key, const std::string& name, std::uint32_t& type,
                             std::vector<std::uint8_t>& data, std::uint32_t& size) override;
    std::int32_t close_key(RegHandle key) override;

  private:
    // Open keys by the small handles given to the core, so no native handle is truncated or
    // forged through the 32-bit interface.
    std::map<RegHandle, void*> open_;
    RegHandle next_ = 1;
};

// A value's bytes as the store hands them to the core: string types (REG_SZ, REG_EXPAND_SZ,
// REG_MULTI_SZ) converted from UTF-16 to UTF-8, NULs kept; other types unchanged.
std::vector<std::uint8_t> store_bytes(std::uint32_t type, const std::vector<std::uint8_t>& raw);

}  // namespace pakscour::win32
