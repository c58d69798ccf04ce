// Where a Windows player keeps the games besides the registry. Ahead of it, the folders named on
// the command line (a folder dropped onto pakscour.exe arrives there). After it: the Steam
// libraries. Steam's folder is "SteamPath" under HKEY_CURRENT_USER\Software\Valve\Steam
// (Steam writes it with forward slashes, often in lower case, so it is normalised); the
// libraries come from its steamapps\libraryfolders.vdf, and a game counts as installed where
// its app manifest is. Last, the folder that holds pakscour.exe and that folder's parent, so a
// player may drop the program into a game's folder. None of these keeps a version text for the
// games: the version is "".
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/game_finder.h"
#include "registry/named_folders.h"
#include "registry/steam_library.h"

namespace pakscour::win32 {

inline constexpr std::size_t max_text_file = std::size_t{4} << 20;

// Reads regular files of at most max_text_file bytes with Win32 calls; a folder, a device, a
// larger or unreadable file reads as nothing.
class Win32TextFiles : public TextFiles {
  public:
    std::optional<std::string> read(const std::string& path) override;
};

// A folder text as Steam writes it ("c:/program files (x86)/steam") with backslashes, an
// upper-case drive letter and each existing component spelt as on disk.
std::string normalise_steam_path(const std::string& path);

// A folder text as the program names folders: the full path of `path` (relative ones below the
// current folder), without a trailing backslash unless it is a drive's root; "" when Windows
// cannot make it a full path.
std::string full_folder_path(const std::string& path);

// The folder that holds the running program, and that folder's parent (when it has one).
std::vector<std::string> program_folders();

class Win32GameFinder : public GameFinder {
  public:
    // `named`: the folders given on the command line, as given. `beside`: the folders checked
    // after every other place (program_folders() in the program).
    explicit Win32GameFinder(const std::vector<std::string>& named = {},
                             std::vector<std::string> beside = {});

    std::optional<FoundGame> find(const GameQuery& game) override;
    std::optional<FoundGame> named(const GameQuery& game) override;
    std::vector<RejectedFolder> rejected_folders() override { return named_.rejected(); }

  private:
    Win32TextFiles files_;
    NamedFolders named_;
    std::vector<std::string> beside_;
};

}  // namespace pakscour::win32
