// Where a game is installed when its registry key in the prefix or registry in use has no
// install folder: the platform looks in the other places players keep games (Steam libraries,
// other Wine prefixes, the program's own folder) and answers with the folder as the file system
// layer names it and the version text found in the same place. Folders the player named on the
// command line come ahead of every other place, the registry included.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace pakscour {

struct GameQuery {
    // "HKEY_LOCAL_MACHINE\Software\Activision\Call of Duty": the key other prefixes are read at.
    std::string key_path;
    // The game's Steam app id ("2620").
    std::string steam_app_id;
};

struct FoundGame {
    std::string folder;   // install folder text, as the file system layer takes it
    std::string version;  // "" when the place holds none
};

// Why a folder the player named cannot be used.
enum class FolderProblem {
    missing,     // no such folder
    not_folder,  // it is a file, not a folder
    unnameable,  // its path holds a name no Windows path text can show
    no_game,     // it holds none of the games
};

struct RejectedFolder {
    std::string folder;  // as the player gave it
    FolderProblem problem;
    // The separator of the platform's paths, which the messages use for the archives they
    // name: "Main\pak0.pk3" on Windows, "Main/pak0.pk3" on Linux.
    char separator = '\\';
};

class GameFinder {
  public:
    virtual ~GameFinder() = default;
    // The first place, in the platform's order, that holds the game; nothing when none does.
    // Unreadable or malformed places are skipped; this never raises.
    virtual std::optional<FoundGame> find(const GameQuery& game) = 0;
    // The folder the player named for the game (its version is ""); nothing when none holds it.
    virtual std::optional<FoundGame> named(const GameQuery&) { return std::nullopt; }
    // The folders the player named that cannot be used, each to be reported.
    virtual std::vector<RejectedFolder> rejected_folders() { return {}; }
    // Whether two install folder texts name the same folder. This one compares the texts,
    // ignoring ASCII case and final backslashes; a platform that can tell more (two names of
    // one folder) says so.
    virtual bool same_folder(const std::string& a, const std::string& b);
};

// A finder that finds nothing: the registry is then the only source, as for a platform that
// offers no other places.
inline GameFinder& no_game_finder() {
    class NoGames : public GameFinder {
      public:
        std::optional<FoundGame> find(const GameQuery&) override { return std::nullopt; }
    };
    static NoGames none;
    return none;
}

}  // namespace pakscour
