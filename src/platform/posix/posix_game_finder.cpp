#include "platform/posix/posix_game_finder.h"

#include <cstdlib>
#include <exception>
#include <functional>

#include "platform/posix/launcher_json.h"
#include "platform/posix/launcher_yaml.h"
#include "platform/posix/proton_prefixes.h"
#include "platform/posix/wine_registry_parser.h"
#include "registry/game_key.h"

namespace pakscour::posix {
namespace fs = std::filesystem;

namespace {

bool ends_with(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

bool is_folder(const fs::path& path) {
    std::error_code ec;
    return fs::is_directory(path, ec);
}

bool is_file(const fs::path& path) {
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

}  // namespace

PosixGameFinder::PosixGameFinder(WinePrefix in_use, std::optional<fs::path> home,
                                 const std::vector<std::string>& named)
    : prefix_(std::move(in_use)), home_(std::move(home)), in_use_(real_path(prefix_.root())) {
    // Each folder the player named, by its real path; the folders that hold a game are read
    // through that path from now on.
    std::vector<NamedFolder> folders;
    std::map<std::string, fs::path> hosts;
    for (const std::string& given : named) {
        std::error_code ec;
        fs::path absolute = fs::absolute(given, ec);
        if (ec) absolute = given;
        std::string shown = absolute.lexically_normal().string();
        while (shown.size() > 1 && shown.back() == '/') shown.pop_back();
        NamedFolder folder{shown, "", FolderProblem::missing};
        const auto real = real_path(absolute);
        if (real && is_folder(*real)) {
            if (auto text = wine_host_path(*real)) {
                folder.folder = *text;
                hosts.emplace(*text, *real);
            } else {
                folder.problem = FolderProblem::unnameable;
            }
        } else if (real) {
            folder.problem = FolderProblem::not_folder;
        }
        folders.push_back(std::move(folder));
    }
    named_ = NamedFolders(
        folders,
        [&](const std::string& folder, const GameMark& mark) {
            const auto archive = existing_below(hosts.at(folder), mark.archive);
            return archive && is_file(*archive);
        },
        '/');
    for (const GameMark& mark : game_marks) {
        if (const auto folder = named_.folder_for(mark.key_path))
            prefix_.add_host_folder(*folder, hosts.at(*folder));
    }
}

std::unique_ptr<PosixGameFinder> PosixGameFinder::from_environment(
    const WinePrefix& in_use, const std::vector<std::string>& named) {
    const char* prefix = std::getenv("WINEPREFIX");
    const char* home = std::getenv("HOME");
    std::optional<fs::path> places;
    if ((prefix == nullptr || *prefix == '\0') && home != nullptr && *home == '/') places = home;
    return std::make_unique<PosixGameFinder>(in_use, std::move(places), named);
}

std::optional<FoundGame> PosixGameFinder::named(const GameQuery& game) {
    if (auto folder = named_.folder_for(game.key_path)) return FoundGame{std::move(*folder), ""};
    return std::nullopt;
}

bool PosixGameFinder::same_folder(const std::string& a, const std::string& b) {
    if (GameFinder::same_folder(a, b)) return true;
    const auto host_a = a.empty() ? std::nullopt : prefix_.existing(a);
    const auto host_b = b.empty() ? std::nullopt : prefix_.existing(b);
    if (!host_a || !host_b) return false;
    const auto real_a = real_path(*host_a);
    return real_a && real_a == real_path(*host_b);
}

std::optional<std::string> PosixGameFinder::host_folder(const fs::path& host) {
    auto folder = wine_host_path(host);
    if (folder) prefix_.add_host_folder(*folder, host);
    return folder;
}

std::optional<FoundGame> PosixGameFinder::find(const GameQuery& game) {
    if (!home_) return std::nullopt;
    const fs::path& home = *home_;
    const fs::path lutris_flatpak = home / ".var/app/net.lutris.Lutris";
    std::set<fs::path> seen;
    if (in_use_) seen.insert(*in_use_);
    auto prefixes = [&](const std::vector<fs::path>& list) {
        return in_prefixes(list, game, seen);
    };
    // The places in the order the player is told; each is read on its own, so whatever goes
    // wrong in one leaves the others searchable.
    const std::function<std::optional<FoundGame>()> places[] = {
        [&] { return in_steam(game, steam_libraries()); },
        [&] {
            return prefixes(lutris_prefixes(
                {home / ".local/share/lutris/games", home / ".config/lutris/games"}));
        },
        [&] { return prefixes(bottles()); },
        [&] { return in_steam(game, snap_libraries()); },
        [&] {
            return prefixes(lutris_prefixes(
                {lutris_flatpak / "data/lutris/games", lutris_flatpak / "config/lutris/games"}));
        },
        [&] { return prefixes(proton_prefixes()); },
        [&] { return prefixes(heroic_prefixes()); },
    };
    for (const auto& place : places) {
        try {
            if (auto found = place()) return found;
        } catch (const std::exception&) {
        }
    }
    return std::nullopt;
}

std::optional<FoundGame> PosixGameFinder::in_prefixes(const std::vector<fs::path>& prefixes,
                                                      const GameQuery& game,
                                                      std::set<fs::path>& seen) {
    for (const fs::path& prefix : prefixes) {
        try {
            if (auto found = in_prefix(prefix, game, seen)) return found;
        } catch (const std::exception&) {
        }
    }
    return std::nullopt;
}

std::vector<std::string> PosixGameFinder::libraries_of(const std::vector<fs::path>& steam) {
    std::vector<std::string> roots;
    for (const fs::path& root : steam)
        if (auto real = real_path(root); real && is_folder(*real)) roots.push_back(real->string());
    // The same library is often reached by several names (~/.steam/steam is usually a link);
    // each is read once, by its real path.
    std::vector<std::string> libraries;
    for (const std::string& library : pakscour::steam_libraries(files_, roots, '/')) {
        const auto real = real_path(library);
        if (real && known_libraries_.insert(*real).second) libraries.push_back(real->string());
    }
    return libraries;
}

const std::vector<std::string>& PosixGameFinder::steam_libraries() {
    if (!libraries_) {
        const fs::path& home = *home_;
        const fs::path flatpak = home / ".var/app/com.valvesoftware.Steam";
        libraries_ = libraries_of({home / ".steam/steam", home / ".local/share/Steam",
                                   flatpak / ".local/share/Steam", flatpak / "data/Steam"});
    }
    return *libraries_;
}

const std::vector<std::string>& PosixGameFinder::snap_libraries() {
    // Ubuntu's Steam snap keeps its home in ~/snap/steam/common, or with the snap's hidden-home
    // option in ~/.snap/data/steam/common. Libraries the other Steams share were read already.
    if (!snap_libraries_) {
        steam_libraries();
        const fs::path& home = *home_;
        snap_libraries_ = libraries_of({home / "snap/steam/common/.local/share/Steam",
                                        home / ".snap/data/steam/common/.local/share/Steam"});
    }
    return *snap_libraries_;
}

std::vector<fs::path> PosixGameFinder::proton_prefixes() {
    if (!proton_) {
        std::vector<std::string> libraries = steam_libraries();
        const auto& snap = snap_libraries();
        libraries.insert(libraries.end(), snap.begin(), snap.end());
        // Only the games' keys of these registries are read; each is kept for the next game.
        proton_.emplace();
        for (ProtonPrefix& prefix : proton_prefixes_with_games(libraries)) {
            registries_.emplace(
                prefix.root, std::make_unique<PosixRegistryStore>(parse_wine_registry(prefix.games),
                                                                  WineRegistryTree()));
            proton_->push_back(std::move(prefix.root));
        }
    }
    return *proton_;
}

std::optional<FoundGame> PosixGameFinder::in_steam(const GameQuery& game,
                                                   const std::vector<std::string>& libraries) {
    const auto app = find_steam_app(files_, libraries, game.steam_app_id, '/');
    if (!app) return std::nullopt;
    auto folder = host_folder(app->folder);
    if (!folder) return std::nullopt;
    const fs::path proton =
        fs::path(app->library) / "steamapps/compatdata" / game.steam_app_id / "pfx";
    std::string version;
    if (is_folder(proton)) version = game_key(proton, game.key_path).version;
    return FoundGame{std::move(*folder), std::move(version)};
}

std::optional<FoundGame> PosixGameFinder::in_prefix(const fs::path& prefix, const GameQuery& game,
                                                    std::set<fs::path>& seen) {
    const auto real = real_path(prefix);
    if (!real || !is_folder(*real) || !seen.insert(*real).second) return std::nullopt;
    const FoundGame key = game_key(*real, game.key_path);
    if (key.folder.empty()) return std::nullopt;
    // The registry names the folder as that prefix sees it; the program needs the host's name.
    const auto host = WinePrefix(*real).existing(key.folder);
    if (!host) return std::nullopt;
    const auto host_real = real_path(*host);
    if (!host_real) return std::nullopt;
    auto folder = host_folder(*host_real);
    if (!folder) return std::nullopt;
    return FoundGame{std::move(*folder), key.version};
}

std::vector<fs::path> PosixGameFinder::lutris_prefixes(const std::vector<fs::path>& folders) {
    std::vector<fs::path> out;
    for (const fs::path& folder : folders) {
        for (const std::string& name : sorted_names(folder)) {
            if (!ends_with(name, ".yml")) continue;
            const auto text = read_small_file(folder / name);
            if (!text) continue;
            if (auto prefix = lutris_prefix(*text, home_->string())) out.emplace_back(*prefix);
        }
    }
    return out;
}

std::vector<fs::path> PosixGameFinder::heroic_prefixes() {
    std::vector<fs::path> out;
    const fs::path& home = *home_;
    auto add = [&](const std::optional<std::string>& prefix) {
        if (!prefix) return;
        // A game Heroic runs with Proton has its prefix in the folder's pfx.
        out.emplace_back(*prefix);
        out.push_back(fs::path(*prefix) / "pfx");
    };
    for (const fs::path& base :
         {home / ".config/heroic", home / ".var/app/com.heroicgameslauncher.hgl/config/heroic"}) {
        const fs::path games = base / "GamesConfig";
        for (const std::string& name : sorted_names(games)) {
            if (!ends_with(name, ".json")) continue;
            if (const auto text = read_small_file(games / name))
                add(heroic_game_prefix(*text, name.substr(0, name.size() - 5), home.string()));
        }
        if (const auto text = read_small_file(base / "config.json"))
            add(heroic_default_prefix(*text, home.string()));
    }
    return out;
}

std::vector<fs::path> PosixGameFinder::bottles() {
    std::vector<fs::path> out;
    const fs::path& home = *home_;
    for (const fs::path& base :
         {home / ".local/share/bottles", home / ".var/app/com.usebottles.bottles/data/bottles"}) {
        // Bottles keeps its bottles in <base>/bottles, or in the folder the player chose in its
        // preferences, which its data.yml records as custom_bottles_path.
        std::vector<fs::path> folders{base / "bottles"};
        if (const auto data = read_small_file(base / "data.yml")) {
            if (auto custom = bottles_custom_path(*data)) folders.emplace_back(*custom);
        }
        for (const fs::path& folder : folders)
            for (const std::string& name : sorted_names(folder)) out.push_back(folder / name);
    }
    return out;
}

FoundGame PosixGameFinder::game_key(const fs::path& prefix, const std::string& key_path) {
    // Each game asks again, so the first prefixes read are kept; a parsed registry takes some
    // megabytes, so a player with many bottles has the later ones read anew instead.
    constexpr std::size_t kept = 8;
    if (const auto it = registries_.find(prefix); it != registries_.end())
        return read_game_key(*it->second, key_path);
    auto store = std::make_unique<PosixRegistryStore>(prefix);
    FoundGame found = read_game_key(*store, key_path);
    if (registries_.size() < kept) registries_.emplace(prefix, std::move(store));
    return found;
}

}  // namespace pakscour::posix
