// The three registry operations the value reader needs, with Windows' status codes
// (0 success, 2 not found, 234 more data). Read-only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pakscour {

using RegHandle = std::uint32_t;

namespace reg {
constexpr std::int32_t success = 0;
constexpr std::int32_t file_not_found = 2;
constexpr std::int32_t access_denied = 5;
constexpr std::int32_t invalid_handle = 6;
constexpr std::int32_t more_data = 234;
constexpr std::uint32_t key_read = 0x20019;
constexpr std::uint32_t reg_sz = 1;
}  // namespace reg

class RegistryStore {
  public:
    virtual ~RegistryStore() = default;
    // Opens `sub_key` (levels joined by "\", "" for the root itself) below a predefined root
    // handle (0x80000000..0x80000006). On success fills `key` and returns 0.
    virtual std::int32_t open_key(RegHandle root, const std::string& sub_key, std::uint32_t access,
                                  RegHandle& key) = 0;
    // Reads a value's data into `data`. `size` is the buffer's size in bytes on the way in and
    // the data's size on the way out. Data that does not fit returns 234 and leaves `data`
    // untouched; a missing value returns 2. Bytes after the data keep their contents.
    virtual std::int32_t query_value(RegHandle key, const std::string& name, std::uint32_t& type,
                                     std::vector<std::uint8_t>& data, std::uint32_t& size) = 0;
    virtual std::int32_t close_key(RegHandle key) = 0;
};

}  // namespace pakscour
