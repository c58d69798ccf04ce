// The host's small text files and folders as the game search reads them: only regular files
// up to a size limit; a missing, unreadable or oversized file, a folder, a FIFO or a symbolic
// link loop reads as nothing, without error. And host paths written as Wine writes them.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "registry/steam_library.h"

namespace pakscour::posix {

inline constexpr std::size_t max_text_file = std::size_t{4} << 20;

// The whole file, when it is a regular file of at most `limit` bytes that reads without error.
std::optional<std::string> read_small_file(const std::filesystem::path& path,
                                           std::size_t limit = max_text_file);

class HostTextFiles : public TextFiles {
  public:
    std::optional<std::string> read(const std::string& path) override {
        return read_small_file(path);
    }
};

// The names in a folder, sorted by byte value, so that places are tried in the same order on
// every run; empty when the folder cannot be read.
std::vector<std::string> sorted_names(const std::filesystem::path& folder);

// The path with every symbolic link resolved, when it exists.
std::optional<std::filesystem::path> real_path(const std::filesystem::path& path);

// An absolute host path as Wine writes host paths, through drive Z: ("/home/a/b" gives
// "Z:\home\a\b"); nothing when a component holds a backslash, a control character or invalid
// UTF-8. Other characters Windows forbids in names (":" and the like) are kept: folders found
// outside the prefix are read through their host paths (WinePrefix::add_host_folder).
std::optional<std::string> wine_host_path(const std::filesystem::path& path);

}  // namespace pakscour::posix
