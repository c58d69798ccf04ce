// File-system operations over Windows path texts ("C:\Games\CoD\Main\*.pk3"). Failures raise
// RuntimeError with the classic numbers of runtime_error.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/runtime_error.h"

namespace pakscour {

// Who a file is: enough to tell later that the file at a place is still that one. The fields
// are the platform's own (Linux: device, inode, size, modification time in nanoseconds;
// Windows: volume serial, file ID, size, last-write time).
struct FileIdentity {
    std::uint64_t volume = 0;
    std::uint64_t id_high = 0;
    std::uint64_t id_low = 0;
    std::uint64_t size = 0;
    std::int64_t modified = 0;
    bool operator==(const FileIdentity&) const = default;
};

// How move_file ended: the file now bears its new name, or the two places are on different
// file systems (or the file system can neither rename without replacing nor link), so that
// the file must be copied instead; then nothing was touched.
enum class Moved { renamed, other_file_system };

// How copy_file ended: the copy bears the new name and the original is gone, or the copy bears
// the new name and the original stayed too (another program changed, replaced or removed it
// after it was read, or it could not be deleted and then not put back under its name).
enum class Copied { moved, in_both };

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
    // instead (on Windows, the VirtualStore copy of a folder the user may not write to). The
    // folder is made and opened relative to its parent without following links, checked to be
    // the folder made, and every later move into it goes through that open folder: a link or
    // junction put in its place meanwhile is never followed (70).
    virtual std::string create_folder(const std::string& path) = 0;

    // Moves the file `from` to `to` (on the same drive) by one rename that never replaces
    // anything, so that the file is under exactly one of its two names at every moment.
    // `from` names a file exactly: a name that has gone raises 53 (76 when its folder is
    // missing), even where another file answers to it in another case. Only the plain file
    // that was checked moves: a folder, link or other file put in its place before the rename
    // raises 70 and stays where it is, and one that arrives between the check and the rename
    // is put back under its name and raises 53, as a file that vanished. A name `to` already
    // taken exactly raises 58 (where the file system folds case, also in another case); a
    // refusal 70, a file held open by another program 75.
    virtual Moved move_file(const std::string& from, const std::string& to) = 0;
    // Makes the moves since the last call durable: the folder that gained names is flushed
    // first, then the folder that lost them, so that a file system that writes folders
    // independently can leave a file under two names after a power cut, never under none.
    // A failure raises.
    virtual void flush_moves() = 0;

    // Where move_file answered other_file_system: copies the one file `from` to `to`, makes the
    // copy durable, names it `to` (without replacing anything) once whole and on disk, and then
    // deletes the original, at the exact place it was read from and only while it is still the
    // file copied. The same errors as move_file; a failed copy leaves nothing under `to` and the
    // original in place. A refused delete whose original is back under its name takes the copy
    // back (only while it is still that copy) and raises.
    virtual Copied copy_file(const std::string& from, const std::string& to) = 0;

    // Finishes a move that was interrupted between its two names: removes the name `path` of
    // a file that also bears another name (in a backup folder), only while the file at `path`
    // is still `who` and has another name, through the exact removal. False, touching nothing,
    // when another file (or none) holds `path` by now or the file has no other name. A refusal
    // raises.
    virtual bool remove_second_name(const std::string& path, const FileIdentity& who) = 0;

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
        // For a plain file: who it is and how many names it has (0 where the platform does not
        // tell, as on Windows, where a move never leaves a file with two names).
        FileIdentity identity;
        std::uint32_t links = 0;
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
