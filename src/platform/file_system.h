// File-system operations over Windows path texts ("C:\Games\CoD\Main\*.pk3"). Failures raise
// RuntimeError with the classic numbers of runtime_error.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/runtime_error.h"

namespace pakscour {

// Who a file was when a copy read it: enough to tell later that the file at the same place is
// still that one. The fields are the platform's own (Linux: device, inode, size, modification
// time in nanoseconds; Windows: volume serial, file ID, size, last-write time).
struct FileIdentity {
    std::uint64_t volume = 0;
    std::uint64_t id_high = 0;
    std::uint64_t id_low = 0;
    std::uint64_t size = 0;
    std::int64_t modified = 0;
    bool operator==(const FileIdentity&) const = default;
};

// A copy that a commit named: where its original was read from and where the copy is, both as
// exact places in the platform's own form (no lookup ignoring case, no VirtualStore choice),
// who the original was when it was read, and who the copy was when it took its name. The
// Windows texts name them in error reports.
struct CommittedCopy {
    std::string source;
    std::string copy;
    std::string windows_source;
    std::string windows_copy;
    FileIdentity original;
    FileIdentity named;
};

// How move_file ended: the file now bears its new name, or the two places are on different
// file systems (or the file system can neither rename without replacing nor link), so that
// the file must be copied instead; then nothing was touched.
enum class Moved { renamed, other_file_system };

class FileSystem {
  public:
    virtual ~FileSystem() = default;

    // Starts an enumeration of a folder with a wildcard file pattern and returns the first
    // matching name, or "" when there is none (a missing folder is no error). Names are bare
    // file names; only plain files that are neither hidden nor system are returned. Starting
    // a new enumeration abandons the previous one.
    virtual std::string find_first(const std::string& pattern) = 0;
    // The next name of the current enumeration, or "" when there are no more.
    virtual std::string find_next() = 0;

    // Creates one folder level; the parent must exist and the folder must not. Returns the
    // path of the folder as made: `path` itself, or the place the platform had to make it in
    // instead (on Windows, the VirtualStore copy of a folder the user may not write to).
    virtual std::string create_folder(const std::string& path) = 0;

    // Moves the file `from` to `to` (on the same drive) by one rename that never replaces
    // anything: whatever file holds the name `from` at that moment takes the name `to`, whole,
    // and nothing is copied or deleted. A missing source raises 53 (76 when its folder is
    // missing), a name `to` already taken (in any case the file system folds) 58, a refusal 70
    // or 75 (a file held open by another program).
    virtual Moved move_file(const std::string& from, const std::string& to) = 0;
    // Makes the renames since the last call durable: each folder that lost or gained a name is
    // flushed once. A failure raises.
    virtual void flush_moves() = 0;

    // Where a rename cannot go, a file is copied and its original deleted. Copies go in
    // batches, so that one flush to disk can serve many files.
    //
    // stage_copy copies a file's data into a hidden temporary file in the folder of `to`,
    // which must not exist, and checks that the copy is as long as the source. Nothing bears
    // the name `to` until commit_copies. A failed stage leaves nothing behind and raises.
    // Returns the number of bytes copied.
    virtual std::uint64_t stage_copy(const std::string& from, const std::string& to) = 0;
    // Makes the staged copies durable, gives each its final name, in the order staged and
    // without replacing anything, and makes the names durable. Returns the copies, from the
    // first staged on, that now bear their final names on disk; the others are removed, and
    // `failure` describes the first of them. Either way the batch is over.
    virtual std::vector<CommittedCopy> commit_copies(RuntimeError& failure) = 0;

    // Ends a file's move: deletes the original that `copy` was read from, at the exact place
    // it was read from, and only while it is still that file (same identity, size and time).
    // Returns false when the original has gone or been replaced since, or could not be put back
    // under its name after a refused delete: the copy then stays too. A refused delete whose
    // original is back under its name raises.
    virtual bool delete_original(const CommittedCopy& copy) = 0;
    // Takes back a committed copy whose original stays: removes the copy at the exact place it
    // was named at, and only while it is still that copy. Returns false, leaving it, when
    // another file holds that place by now. A failure raises.
    virtual bool remove_copy(const CommittedCopy& copy) = 0;

    // Deletes a file.
    virtual void delete_file(const std::string& path) = 0;

    // One whole copy: stage_copy, then commit_copies; raises the failure of either. When it
    // returns, the copy is complete, named and on disk.
    void copy_file(const std::string& from, const std::string& to) {
        stage_copy(from, to);
        RuntimeError failure;
        if (commit_copies(failure).size() != 1) throw failure;
    }

    // Folders as a whole, for putting a backup folder back.
    //
    // One entry of a folder: its name, the path where it really is, what it is and, for a
    // plain file, its size in bytes.
    struct FolderEntry {
        std::string name;
        std::string path;
        bool folder = false;
        bool plain = false;  // a plain file that find_first would return
        std::uint64_t size = 0;
    };
    // Every entry of `folder` (given without a final backslash): files, folders, hidden ones,
    // except those no Windows path could name. A missing folder has none. On Windows the
    // folder is listed together with its VirtualStore copy, as the games see them: an entry
    // of the copy hides one of the same name in the folder itself.
    virtual std::vector<FolderEntry> list_folder(const std::string& folder) = 0;
    // The folder that new files must go into for the games to find them in `folder`: `folder`
    // itself where it may be written; on Windows, where it may not, its VirtualStore copy,
    // made if it is missing.
    virtual std::string writable_folder(const std::string& folder) = 0;
    // Removes `folder` if it is empty (on Windows also its VirtualStore copy, if that is
    // empty). Returns true when no copy of it is left; false when something is still in it.
    // Any other failure raises.
    virtual bool remove_empty_folder(const std::string& folder) = 0;
};

}  // namespace pakscour
