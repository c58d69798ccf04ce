// Reads one registry value as text, given the key as one path text such as
// "HKEY_LOCAL_MACHINE\Software\Activision\Call of Duty" and a value name. Read-only: each read
// opens one key, reads one value and closes the key. A missing key, a missing value and an
// empty value all read as the empty text.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/app_services.h"
#include "platform/registry_store.h"

namespace pakscour {

// The predefined root handle of a root key name, or 0 when the name is unknown.
RegHandle hive_from_name(const std::string& name);

// The module and its state, which lives for the whole run and is shared by every read.
class WR {
  public:
    WR(RegistryStore& store, AppServices& app) : store_(store), app_(app) {}

    // Replaces `key_path` by its sub-key path and sets `hive` to the root key's handle. A
    // malformed path shows the format message, sets `hive` to 0 and leaves `key_path` alone.
    void split_key_path(std::string& key_path, RegHandle& hive);
    // Absent when the root key is unknown, "" when the registry refused, else the text.
    std::optional<std::string> query_value(std::string key_path, const std::string& value_name);
    std::string get_reg_string(const std::string& key_path, const std::string& value_name);

    // Module state.
    RegHandle root_handle = 0;
    RegHandle key_handle = 0;
    std::int32_t last_status = 0;
    std::string value_buffer;
    std::uint32_t value_buffer_size = 0;

  private:
    RegistryStore& store_;
    AppServices& app_;
};

}  // namespace pakscour
