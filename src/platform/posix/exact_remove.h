// Names changed exactly: who a file is (device, inode, size and modification time); one rename
// that never replaces anything, which serves the move, the naming of a copy and the taking
// back of a name; and the exact removal, which first takes a file out of its name to a hidden
// one carrying that name, so that what is unlinked is what was checked, and any other file
// that held or took the name meanwhile keeps a visible name.
#pragma once

#include <optional>
#include <random>
#include <string>

#include "platform/file_system.h"
#include "platform/posix/fd.h"

struct stat;

namespace pakscour::posix {

// Who the file described by `st` is.
FileIdentity identity_of(const struct stat& st);
// Who the file `name` in the open folder `dir` is; nullopt with errno set when it cannot be
// looked at (ENOENT: there is none).
std::optional<FileIdentity> identity_at(int dir, const std::string& name);

// Flushes the entries of the open folder `dir` to storage: 0, or the errno of the failure (a
// file system that cannot flush a folder, saying EINVAL, counts as flushed).
int flush_folder(int dir);

// A new hidden name in `dir` for the file `name`: ".pakscour-KIND-NAME-XXXXXXXX", so that a
// file left so by a kill still says what it was and why. With `create`, a new empty file of
// that name is made and returned open (invalid, errno set, when none could be made).
std::string hidden_name(int dir, const char* kind, const std::string& name,
                        std::minstd_rand& random, Fd* create = nullptr);

// Gives the file `from` of the open folder `from_dir` the name `to` in `to_dir` unless that
// name exists: renameat2 with RENAME_NOREPLACE; where the file system has no such rename, a
// hard link, then the old name removed exactly (remove_exact) while it is the file linked,
// so that a file is under one or two of its names at every moment and a file another program
// put under the old name meanwhile stays. 0, EEXIST for a taken name, EXDEV where the two
// folders are on different file systems or the file system keeps no hard links, or the errno
// of the failure.
int rename_no_replace(int from_dir, const std::string& from, int to_dir, const std::string& to,
                      std::minstd_rand& random);

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

// Gives a file that is out of its name `name` of `dir`, under the name `aside` of `aside_dir`
// (a hidden name, or where a move took it), that name back or, when another file has the name
// by now, the first free visible name beside it ("name (2).pk3"), without replacing anything;
// then flushes the folder. False when it keeps the name `aside`.
bool put_back(int aside_dir, const std::string& aside, int dir, const std::string& name);

}  // namespace pakscour::posix
