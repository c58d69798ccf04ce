// Moving files from one folder into another on the same drive: each file moves by one rename
// that never replaces anything, in list order; only a file whose two places turn out to be on
// different file systems is copied, made durable, and then its original deleted.
#pragma once

#include <cstddef>
#include <span>
#include <string>

#include "platform/file_system.h"

namespace pakscour {

// What a move did.
struct MoveResult {
    std::size_t renamed = 0;  // moved by one rename
    std::size_t copied = 0;   // moved by a copy and the delete of its original
    // Copied, but the original stayed too: another program had changed, replaced or removed
    // it after the copy, or it could not be deleted and then not put back under its name.
    std::size_t in_both = 0;
    // Files whose names `to` already had, left where they were (only when taken names are kept).
    std::size_t taken = 0;
    std::size_t moved() const { return renamed + copied; }
};

// Moves `names` from the folder `from` (with its final backslash) into the folder `to`. Each
// file moves by one rename (FileSystem::move_file); where the two places are on different
// file systems, by a copy made durable before the original is deleted, and an original that
// was changed or replaced meanwhile is left alone, its copy kept. With `keep_taken`, a name
// that `to` already has leaves that file where it is and the move goes on; without it, that
// is a failure like any other. On a failure the files before the failing one end up moved and
// the failing and later ones are untouched in `from`, with no copy left behind; the renames
// made are flushed to disk and the failure is raised. Otherwise every rename is durable when
// this returns.
MoveResult move_files(FileSystem& fs, const std::string& from, const std::string& to,
                      std::span<const std::string> names, bool keep_taken = false);

}  // namespace pakscour
