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

// What a move did: how many files it copied, and how many of those kept their original
// because another program had removed or replaced it after the copy (the copy then stays too).
struct MoveResult {
    std::size_t copied = 0;
    std::size_t originals_changed = 0;
};

// Moves `names` from the folder `from` (with its final backslash) into the folder `to`. Each
// delete removes exactly the file that was copied, at the place it was read from; an original
// that was removed or replaced meanwhile is left alone and its copy kept. On a failure the
// files before the failing one end up moved and the failing and later ones are untouched in
// `from`, with no copy left behind (a copy that cannot be taken back stays beside its
// original); then the failure is raised.
MoveResult move_files(FileSystem& fs, const std::string& from, const std::string& to,
                      std::span<const std::string> names, const MoveBatch& batch = {});

}  // namespace pakscour
