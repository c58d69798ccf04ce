#include "platform/posix/posix_registry_store.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <system_error>

#include "platform/posix/wine_registry_parser.h"
#include "platform/posix/wine_registry_text.h"

namespace pakscour::posix {

namespace {

constexpr RegHandle hkey_classes_root = 0x80000000u;
constexpr RegHandle hkey_current_user = 0x80000001u;
constexpr RegHandle hkey_local_machine = 0x80000002u;
constexpr RegHandle hkey_dyn_data = 0x80000006u;

// No real registry file comes near this; a larger file is not read at all.
constexpr std::uintmax_t max_file_size = 256u * 1024 * 1024;

bool is_predefined(RegHandle handle) {
    return handle >= hkey_classes_root && handle <= hkey_dyn_data;
}

std::vector<std::string> split_levels(const std::string& path) {
    std::vector<std::string> levels;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('\\', start);
        if (end == std::string::npos) end = path.size();
        if (end > start) levels.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return levels;
}

std::string join_levels(const std::vector<std::string>& levels, std::size_t from) {
    std::string path;
    for (std::size_t i = from; i < levels.size(); ++i) {
        if (!path.empty()) path += '\\';
        path += levels[i];
    }
    return path;
}

bool level_is(const std::vector<std::string>& levels, std::size_t index, std::string_view name) {
    return index < levels.size() && fold_case(levels[index]) == name;
}

// Where a 32-bit program's view of `sub_key` below a predefined root lies on a 64-bit prefix,
// tried before the path itself: Software\X under Software\Wow6432Node\X in HKEY_LOCAL_MACHINE,
// and the classes under their own Wow6432Node.
std::optional<std::string> wow64_path(RegHandle root, const std::string& sub_key) {
    const auto levels = split_levels(sub_key);
    if (root == hkey_classes_root) {
        if (levels.empty() || level_is(levels, 0, "wow6432node")) return std::nullopt;
        return "Wow6432Node\\" + join_levels(levels, 0);
    }
    if (!level_is(levels, 0, "software") || levels.size() < 2 ||
        level_is(levels, 1, "wow6432node")) {
        return std::nullopt;
    }
    if (level_is(levels, 1, "classes")) {
        if (levels.size() < 3 || level_is(levels, 2, "wow6432node")) return std::nullopt;
        return "Software\\Classes\\Wow6432Node\\" + join_levels(levels, 2);
    }
    if (root != hkey_local_machine) return std::nullopt;
    return "Software\\Wow6432Node\\" + join_levels(levels, 1);
}

}  // namespace

std::string read_registry_file(const std::filesystem::path& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return {};
    const auto size = std::filesystem::file_size(path, ec);
    if (ec || size > max_file_size) return {};
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return {};
    return text;
}

PosixRegistryStore::PosixRegistryStore(const std::filesystem::path& prefix_root)
    : PosixRegistryStore(parse_wine_registry(read_registry_file(prefix_root / "system.reg")),
                         parse_wine_registry(read_registry_file(prefix_root / "user.reg"))) {}

PosixRegistryStore::PosixRegistryStore(WineRegistryTree machine, WineRegistryTree user)
    : machine_(std::move(machine)), user_(std::move(user)) {}

std::optional<WineKeyRef> PosixRegistryStore::base(RegHandle handle, std::int32_t& status) const {
    status = reg::file_not_found;
    switch (handle) {
        case hkey_local_machine:
            return WineKeyRef{&machine_, WineRegistryTree::root};
        case hkey_current_user:
            return WineKeyRef{&user_, WineRegistryTree::root};
        case hkey_classes_root:
            return find_wine_key(WineKeyRef{&machine_, WineRegistryTree::root}, "Software\\Classes",
                                 machine_);
        default:
            break;
    }
    if (is_predefined(handle)) return std::nullopt;
    const auto found = open_.find(handle);
    if (found == open_.end()) {
        status = reg::invalid_handle;
        return std::nullopt;
    }
    return found->second;
}

std::optional<WineKeyRef> PosixRegistryStore::find(RegHandle root, WineKeyRef start,
                                                   const std::string& sub_key) const {
    if (is_predefined(root) && start.tree->win64()) {
        if (const auto redirected = wow64_path(root, sub_key)) {
            if (auto key = find_wine_key(start, *redirected, machine_)) return key;
        }
    }
    return find_wine_key(start, sub_key, machine_);
}

std::int32_t PosixRegistryStore::open_key(RegHandle root, const std::string& sub_key,
                                          std::uint32_t /*access: the store only reads*/,
                                          RegHandle& key) {
    key = 0;
    std::int32_t status = reg::success;
    const auto start = base(root, status);
    if (!start) return status;
    const auto found = find(root, *start, sub_key);
    if (!found) return reg::file_not_found;
    RegHandle handle = 1;
    while (open_.count(handle) != 0) ++handle;
    open_.emplace(handle, *found);
    key = handle;
    return reg::success;
}

std::int32_t PosixRegistryStore::query_value(RegHandle key, const std::string& name,
                                             std::uint32_t& type, std::vector<std::uint8_t>& data,
                                             std::uint32_t& size) {
    std::int32_t status = reg::success;
    const auto at = base(key, status);
    if (!at) return status;
    const WineValue* value = at->tree->value(at->id, name);
    if (value == nullptr) return reg::file_not_found;
    type = value->type;
    // Never write past the caller's vector, whatever size it claims.
    const std::size_t capacity = std::min<std::size_t>(size, data.size());
    const std::size_t length = value->data.size();
    size = static_cast<std::uint32_t>(length);
    if (length > capacity) return reg::more_data;
    std::copy(value->data.begin(), value->data.end(), data.begin());
    return reg::success;
}

std::int32_t PosixRegistryStore::close_key(RegHandle key) {
    if (is_predefined(key)) return reg::success;
    return open_.erase(key) == 1 ? reg::success : reg::invalid_handle;
}

}  // namespace pakscour::posix
