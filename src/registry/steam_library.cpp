#include "registry/steam_library.h"

#include <algorithm>

#include "registry/vdf.h"

namespace pakscour {
namespace {

bool all_digits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The first top-level block called `name`, or nullptr.
const VdfNode* top_block(const VdfNode& root, std::string_view name) {
    for (const VdfNode& entry : root.children)
        if (entry.block && vdf_key_equal(entry.key, name)) return &entry;
    return nullptr;
}

bool is_absolute(const std::string& path, char separator) {
    if (separator == '/') return !path.empty() && path.front() == '/';
    const bool drive = path.size() >= 3 && path[1] == ':' && path[2] == '\\' &&
                       ((path[0] >= 'a' && path[0] <= 'z') || (path[0] >= 'A' && path[0] <= 'Z'));
    return drive || path.rfind("\\\\", 0) == 0;
}

// An absolute path with `separator` throughout and no trailing one ("D:\" gives "D:", "/"
// gives ""), ready to have parts joined to it; nothing for a relative path or one holding a
// control character.
std::optional<std::string> normalise(std::string path, char separator) {
    if (separator == '\\') std::replace(path.begin(), path.end(), '/', '\\');
    if (!is_absolute(path, separator)) return std::nullopt;
    for (const char c : path)
        if (static_cast<unsigned char>(c) < 0x20) return std::nullopt;
    while (!path.empty() && path.back() == separator) path.pop_back();
    return path;
}

std::string join(const std::string& folder, std::initializer_list<std::string_view> parts,
                 char separator) {
    std::string out = folder;
    for (std::string_view part : parts) {
        out += separator;
        out += part;
    }
    return out;
}

}  // namespace

std::vector<std::string> library_folders(std::string_view vdf_text) {
    std::vector<std::string> out;
    const auto root = parse_vdf(vdf_text);
    if (!root) return out;
    const VdfNode* folders = top_block(*root, "libraryfolders");
    if (folders == nullptr) return out;
    for (const VdfNode& entry : folders->children) {
        if (!all_digits(entry.key)) continue;
        if (!entry.block) {
            if (!entry.value.empty()) out.push_back(entry.value);
        } else if (const VdfNode* path = entry.find("path"); path && !path->block) {
            if (!path->value.empty()) out.push_back(path->value);
        }
    }
    return out;
}

std::optional<std::string> manifest_install_dir(std::string_view acf_text) {
    const auto root = parse_vdf(acf_text);
    if (!root) return std::nullopt;
    const VdfNode* app = top_block(*root, "AppState");
    if (app == nullptr) return std::nullopt;
    const VdfNode* dir = app->find("installdir");
    if (dir == nullptr || dir->block) return std::nullopt;
    const std::string& name = dir->value;
    if (name.empty() || name == "." || name == "..") return std::nullopt;
    for (const char c : name)
        if (c == '/' || c == '\\' || c == ':' || static_cast<unsigned char>(c) < 0x20)
            return std::nullopt;
    return name;
}

std::vector<std::string> steam_libraries(TextFiles& files, const std::vector<std::string>& steam,
                                         char separator) {
    std::vector<std::string> out;
    auto add = [&](const std::string& raw) {
        auto path = normalise(raw, separator);
        if (!path) return;
        const bool seen = std::any_of(out.begin(), out.end(), [&](const std::string& known) {
            return separator == '\\' ? vdf_key_equal(known, *path) : known == *path;
        });
        if (!seen) out.push_back(std::move(*path));
    };
    for (const std::string& folder : steam) {
        add(folder);
        const auto root = normalise(folder, separator);
        if (!root) continue;
        const auto text = files.read(join(*root, {"steamapps", "libraryfolders.vdf"}, separator));
        if (!text) continue;
        for (const std::string& library : library_folders(*text)) add(library);
    }
    return out;
}

std::optional<SteamApp> find_steam_app(TextFiles& files, const std::vector<std::string>& libraries,
                                       std::string_view app_id, char separator) {
    if (!all_digits(app_id)) return std::nullopt;
    const std::string manifest = "appmanifest_" + std::string(app_id) + ".acf";
    for (const std::string& library : libraries) {
        const auto text = files.read(join(library, {"steamapps", manifest}, separator));
        if (!text) continue;
        if (const auto dir = manifest_install_dir(*text))
            return SteamApp{library, join(library, {"steamapps", "common", *dir}, separator)};
    }
    return std::nullopt;
}

}  // namespace pakscour
