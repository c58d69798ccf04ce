// Removing a file only while it is a given file: who a file is (device, inode, size and
// modification time), and an unlink that first takes the file out of its name to a hidden one
// carrying that name, so that what is unlinked is what was checked, and any other file that
// held or took the name meanwhile keeps a visible name.
#pragma once

#include <optional>
#include <random>
#include <string>

#include "platform/file_system.h"

struct stat;

namespace pakscour::posix {

// Who the file described by `st` is.
FileIdentity identity_of(const struct stat& st);
// Who the file `name` in the open folder `dir` is; nullopt with errno set when it cannot be
// looked at (ENOENT: there is none).
std::optional<FileIdentity> identity_at(int dir, const std::string& name);

// How remove_exact ended.
enum class Removal {
    removed,
    other,     // another file (or none) holds the name: nothing removed, nothing lost
    refused,   // the unlink was refused; the file is back under its name
    stranded,  // the unlink was refused and the file could get no visible name back
};

// Removes the file `name` of the open folder `dir` while it is the file `who`. On `refused` and
// `stranded`, `error` is the errno of the failure (also for a failure to look at the file or
// take it out of its name, which leaves it as it was: `refused`).
Removal remove_exact(int dir, const std::string& name, const FileIdentity& who, int& error,
                     std::minstd_rand& random);

}  // namespace pakscour::posix
