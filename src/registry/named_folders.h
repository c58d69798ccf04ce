// Game folders no installer registered: folders the player names on the command line, and on
// Windows the folders around the program. A folder holds a game when the game's content folder
// in it holds the game's first stock archive (Main\pak0.pk3, uo\pakuo00.pk3, main\iw_00.iwd,
// in any case). The platform checks the files; this sorts the folders out and words the
// message for a folder that holds none of the games.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/game_finder.h"

namespace pakscour {

struct GameMark {
    const char* key_path;  // the game's registry key, as GameQuery names the game
    const char* archive;   // its first stock archive below the install folder
    const char* name;      // the game's name in messages
};

// Call of Duty, United Offensive, Call of Duty 2.
extern const GameMark game_marks[3];

// The mark of the game with that registry key; nullptr for any other key.
const GameMark* game_mark(const std::string& key_path);

// The message for a folder the player named that cannot be used: it names the folder and what
// was looked for in it.
std::string rejected_folder_text(const RejectedFolder& rejected);
// The same in one line, for standard error: "pakscour: '/media/usb/CoD': not a folder".
std::string rejected_folder_line(const RejectedFolder& rejected);

// One folder the player named.
struct NamedFolder {
    std::string given;   // as the player wrote it, for messages
    std::string folder;  // as the file system layer names it; "" when it cannot be used
    FolderProblem problem = FolderProblem::no_game;  // why, when `folder` is ""
};

// The folders the player named, sorted out per game: the first folder that holds a game is
// that game's; a folder that holds none of them is rejected.
class NamedFolders {
  public:
    // Whether `folder` (as the file system layer names it) holds the archive `mark` names.
    using Holds = std::function<bool(const std::string& folder, const GameMark& mark)>;

    NamedFolders() = default;
    // `separator` is the platform's, for the messages about rejected folders.
    NamedFolders(const std::vector<NamedFolder>& named, const Holds& holds, char separator = '\\');

    std::optional<std::string> folder_for(const std::string& key_path) const;
    const std::vector<RejectedFolder>& rejected() const { return rejected_; }

  private:
    std::vector<std::pair<const GameMark*, std::string>> found_;
    std::vector<RejectedFolder> rejected_;
};

// The first of `folders` that holds the game of `key_path`.
std::optional<std::string> first_holding(const std::vector<std::string>& folders,
                                         const std::string& key_path,
                                         const NamedFolders::Holds& holds);

}  // namespace pakscour
