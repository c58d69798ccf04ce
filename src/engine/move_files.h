// Moving files from one folder into another in batches: each batch is copied, made durable
// with one commit, and only then are its originals deleted, so that one flush to disk serves
// many files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "platform/file_system.h"

namespace pakscour {

// A batch is committed once it holds this many files or bytes (the file that reaches the
// byte limit is still part of it).
struct MoveBatch {
    std::size_t files = 512;
    std::uint64_t bytes = std::uint64_t{64} << 20;
};

// Moves `names` from the folder `from` (with its final backslash) into the folder `to`. On a
// failure the files before the failing one end up moved, the failing one stays where its
// step left it and the later ones are untouched, as if each file had been copied and deleted
// in turn; then the failure is raised.
void move_files(FileSystem& fs, const std::string& from, const std::string& to,
                std::span<const std::string> names, const MoveBatch& batch = {});

}  // namespace pakscour
