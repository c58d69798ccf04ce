#include "registry/wr.h"

#include <utility>

#include "services/version.h"

namespace pakscour {

RegHandle hive_from_name(const std::string& name) {
    static const std::pair<const char*, RegHandle> roots[] = {
        {"HKEY_CLASSES_ROOT", 0x80000000u},     {"HKEY_CURRENT_USER", 0x80000001u},
        {"HKEY_LOCAL_MACHINE", 0x80000002u},    {"HKEY_USERS", 0x80000003u},
        {"HKEY_PERFORMANCE_DATA", 0x80000004u}, {"HKEY_CURRENT_CONFIG", 0x80000005u},
        {"HKEY_DYN_DATA", 0x80000006u}};
    for (const auto& [root, handle] : roots)
        if (name == root) return handle;
    return 0;
}

void WR::split_key_path(std::string& key_path, RegHandle& hive) {
    const auto slash = key_path.find('\\');
    last_status = slash == std::string::npos ? 0 : static_cast<std::int32_t>(slash + 1);
    if (key_path.compare(0, 5, "HKEY_") != 0 || key_path.size() < 5 || key_path.back() == '\\') {
        app_.message_box("Incorrect Format:\n\n" + key_path, app_title);
        hive = 0;
        return;
    }
    if (last_status == 0) {
        hive = hive_from_name(key_path);
        key_path.clear();
        return;
    }
    const auto pos = static_cast<std::size_t>(last_status);
    hive = hive_from_name(key_path.substr(0, pos - 1));
    key_path = key_path.substr(pos);
}

std::optional<std::string> WR::query_value(std::string key_path, const std::string& value_name) {
    split_key_path(key_path, root_handle);
    if (root_handle == 0) return std::nullopt;

    last_status = store_.open_key(root_handle, key_path, reg::key_read, key_handle);
    if (last_status != reg::success) return std::string();

    value_buffer.assign(255, ' ');
    value_buffer_size = static_cast<std::uint32_t>(value_buffer.size());
    std::vector<std::uint8_t> data(value_buffer.begin(), value_buffer.end());
    std::uint32_t type = reg::reg_sz;
    last_status = store_.query_value(key_handle, value_name, type, data, value_buffer_size);
    if (last_status != reg::success) {
        last_status = store_.close_key(key_handle);
        return std::string();
    }
    last_status = store_.close_key(key_handle);
    value_buffer.assign(data.begin(), data.end());

    // The data ends where the store says it does; a string's terminating NUL is dropped, and
    // so are leading blanks.
    const std::size_t size = std::min<std::size_t>(value_buffer_size, value_buffer.size());
    std::string text = value_buffer.substr(0, size);
    if (!text.empty() && text.back() == '\0') text.pop_back();
    const auto first = text.find_first_not_of(' ');
    return first == std::string::npos ? std::string() : text.substr(first);
}

std::string WR::get_reg_string(const std::string& key_path, const std::string& value_name) {
    std::string text = query_value(key_path, value_name).value_or(std::string());
    const auto nul = text.find('\0');
    if (nul != std::string::npos) text.erase(nul);
    return text;
}

}  // namespace pakscour
