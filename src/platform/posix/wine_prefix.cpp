#include "platform/posix/wine_prefix.h"

#include <dirent.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string_view>
#include <vector>

#include "platform/posix/fs_names.h"

namespace pakscour::posix {
namespace fs = std::filesystem;

namespace {

struct ParsedPath {
    char drive;                      // lower-case letter
    std::vector<std::string> parts;  // normalised components below the drive's root
};

bool is_separator(char c) {
    return c == '\\' || c == '/';
}

// Splits "X:\a\b" into its drive and components: "." dropped, ".." taking the previous
// component away (never above the root), trailing dots and spaces removed. nullopt for a
// text without a drive letter or with a component no Windows path could hold.
std::optional<ParsedPath> parse(std::string_view text) {
    if (text.size() < 2 || text[1] != ':') return std::nullopt;
    const char letter = text[0];
    if (!((letter >= 'a' && letter <= 'z') || (letter >= 'A' && letter <= 'Z')))
        return std::nullopt;
    if (text.size() > 2 && !is_separator(text[2])) return std::nullopt;
    ParsedPath out{static_cast<char>(letter | 0x20), {}};
    std::size_t pos = 2;
    while (pos < text.size()) {
        while (pos < text.size() && is_separator(text[pos])) ++pos;
        std::size_t end = pos;
        while (end < text.size() && !is_separator(text[end])) ++end;
        std::string_view part = text.substr(pos, end - pos);
        pos = end;
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (!out.parts.empty()) out.parts.pop_back();
            continue;
        }
        while (!part.empty() && (part.back() == '.' || part.back() == ' ')) part.remove_suffix(1);
        if (part.empty()) continue;
        if (!windows_nameable(part)) return std::nullopt;
        out.parts.emplace_back(part);
    }
    return out;
}

bool host_exists(const fs::path& p) {
    struct stat st;
    return ::stat(p.c_str(), &st) == 0;
}

bool is_folder(const fs::path& p) {
    struct stat st;
    return ::stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The entry of `folder` named `part`: exactly, else the first entry in the folder's order that
// matches ignoring case.
std::optional<fs::path> child(const fs::path& folder, const std::string& part) {
    fs::path exact = folder / part;
    if (host_exists(exact)) return exact;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return std::nullopt;
    std::optional<fs::path> found;
    while (const dirent* e = ::readdir(dir)) {
        if (equal_ignoring_case(e->d_name, part) && host_exists(folder / e->d_name)) {
            found = folder / e->d_name;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

// Drive X: is the link <prefix>/dosdevices/x:. A prefix without a z: of its own (or no prefix
// at all) still reaches the host's root as Z:, the drive Wine writes host paths with, so that
// folders found outside the prefix can be named.
std::optional<fs::path> drive_folder(const fs::path& root, char letter) {
    fs::path drive = root / "dosdevices" / std::string{letter, ':'};
    if (is_folder(drive)) return drive;
    struct stat st;
    if (letter == 'z' && ::lstat(drive.c_str(), &st) != 0) return fs::path("/");
    return std::nullopt;
}

// The first `count` components of `path` below `start`: the whole path as spelt when it
// exists, else component by component, exactly then ignoring case.
std::optional<fs::path> walk(const fs::path& start, const std::vector<std::string>& parts,
                             std::size_t from, std::size_t count) {
    // Usually the path is spelled as on disk; only a miss needs the folder-by-folder search.
    fs::path direct = start;
    for (std::size_t i = from; i < count; ++i) direct /= parts[i];
    if (host_exists(direct)) return direct;
    fs::path at = start;
    for (std::size_t i = from; i < count; ++i) {
        if (!is_folder(at)) return std::nullopt;
        auto next = child(at, parts[i]);
        if (!next) return std::nullopt;
        at = std::move(*next);
    }
    return at;
}

bool ascii_equal(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

// The host folder whose text `text` begins with (a whole folder text, then a separator or the
// end), the longest when several do; `rest` gets what follows it.
const WinePrefix::HostFolder* host_folder_of(const std::vector<WinePrefix::HostFolder>& folders,
                                             std::string_view text, std::string_view& rest) {
    const WinePrefix::HostFolder* best = nullptr;
    for (const WinePrefix::HostFolder& folder : folders) {
        const std::string& name = folder.text;
        if (name.empty() || text.size() < name.size() ||
            !ascii_equal(text.substr(0, name.size()), name))
            continue;
        if (text.size() > name.size() && !is_separator(name.back()) &&
            !is_separator(text[name.size()]))
            continue;
        if (best != nullptr && best->text.size() >= name.size()) continue;
        best = &folder;
        rest = text.substr(name.size());
    }
    return best;
}

// Where a Windows path text starts on the host, and its components from there: below a host
// folder, the components after the folder's text (parsed as from a drive's root, so that ".."
// stops at the folder); else the prefix's drive and all components.
struct Located {
    fs::path start;
    std::vector<std::string> parts;
};

std::optional<Located> locate(const fs::path& root,
                              const std::vector<WinePrefix::HostFolder>& folders,
                              std::string_view text) {
    std::string_view rest;
    if (const auto* folder = host_folder_of(folders, text, rest)) {
        auto parsed = parse("z:\\" + std::string(rest));
        if (!parsed) return std::nullopt;
        return Located{folder->host, std::move(parsed->parts)};
    }
    auto parsed = parse(text);
    if (!parsed) return std::nullopt;
    auto drive = drive_folder(root, parsed->drive);
    if (!drive) return std::nullopt;
    return Located{std::move(*drive), std::move(parsed->parts)};
}

}  // namespace

WinePrefix WinePrefix::from_environment() {
    std::string root;
    if (const char* env = std::getenv("WINEPREFIX"); env != nullptr && *env != '\0') {
        root = env;
    } else {
        const char* home = std::getenv("HOME");
        if (home == nullptr || *home == '\0') {
            const passwd* pw = ::getpwuid(::getuid());
            home = pw != nullptr ? pw->pw_dir : "/";
        }
        root = std::string(home) + "/.wine";
    }
    while (root.size() > 1 && root.back() == '/') root.pop_back();
    std::error_code ec;
    fs::path absolute = fs::absolute(root, ec);
    return WinePrefix(ec ? fs::path(root) : absolute);
}

WinePrefix::WinePrefix(fs::path root) : root_(std::move(root)) {}

std::optional<fs::path> WinePrefix::existing(const std::string& windows_path) const {
    const auto at = locate(root_, *host_folders_, windows_path);
    if (!at) return std::nullopt;
    return walk(at->start, at->parts, 0, at->parts.size());
}

std::optional<fs::path> WinePrefix::for_new(const std::string& windows_path) const {
    const auto at = locate(root_, *host_folders_, windows_path);
    if (!at) return std::nullopt;
    if (at->parts.empty()) return at->start;
    const std::size_t last = at->parts.size() - 1;
    auto parent = walk(at->start, at->parts, 0, last);
    if (!parent || !is_folder(*parent)) return std::nullopt;
    if (auto found = child(*parent, at->parts[last])) return found;
    return *parent / at->parts[last];
}

void WinePrefix::add_host_folder(std::string folder, fs::path host) const {
    while (folder.size() > 3 && is_separator(folder.back())) folder.pop_back();
    host_folders_->push_back(HostFolder{std::move(folder), std::move(host)});
}
std::optional<fs::path> existing_below(const fs::path& folder, const std::string& relative) {
    const auto parsed = parse("z:\\" + relative);
    if (!parsed || parsed->parts.empty() || !is_folder(folder)) return std::nullopt;
    return walk(folder, parsed->parts, 0, parsed->parts.size());
}

}  // namespace pakscour::posix
