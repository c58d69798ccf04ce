// The Linux file system behind the FileSystem interface: Windows path texts are mapped into
// the Wine prefix; enumerations return only regular, non-hidden files with Windows-nameable
// names; a file moves by one rename that replaces nothing, between the two folders' open
// handles, and only the file listed and checked moves; where it must be copied instead, the
// copy is made in a hidden file, flushed, named and checked before its original is removed,
// exactly, while it is still the file copied.
#pragma once

#include <dirent.h>
#include <sys/types.h>

#include <random>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "platform/file_system.h"
#include "platform/posix/fd.h"
#include "platform/posix/wine_prefix.h"

namespace pakscour::posix {

class PosixFileSystem : public FileSystem {
  public:
    explicit PosixFileSystem(WinePrefix prefix);
    ~PosixFileSystem() override;
    PosixFileSystem(const PosixFileSystem&) = delete;
    PosixFileSystem& operator=(const PosixFileSystem&) = delete;

    std::string find_first(const std::string& pattern) override;
    std::string find_next() override;
    // An existing folder raises 58 (also one whose name differs only in case), a missing
    // parent 76, a refusal 70; anything but the folder made found at its name once made 70.
    std::string create_folder(const std::string& path) override;
    // The names are taken exactly as listed: on Linux names that differ only in case are two
    // files, so in a folder made in this run (a backup folder) only an exact clash is 58. In
    // any other folder (the content folder a restore fills) a name that differs only in case
    // is 58 too, as Wine and the games see one file there (posix_file_system_moves.cpp).
    Moved move_file(const std::string& from, const std::string& to) override;
    // One fsync of each folder that gained names, then of each that lost them.
    void flush_moves() override;
    // No space 61, refused 70, read or write error 57; a file that changed while it was read
    // 57.
    Copied copy_file(const std::string& from, const std::string& to) override;
    bool remove_second_name(const std::string& path, const FileIdentity& who) override;

    // Folders as a whole (posix_file_system_folders.cpp). A folder that cannot be read raises
    // 70 or 76; writable_folder gives the folder itself, as Wine writes wherever the user may.
    std::vector<FolderEntry> list_folder(const std::string& folder) override;
    std::string writable_folder(const std::string& folder) override;
    bool remove_empty_folder(const std::string& folder) override;

  private:
    // An open folder, by its Windows text: the folders made in this run (kept while they
    // exist) and those of the current move (until flush_moves), with what the moves did in it.
    struct Folder {
        Fd fd;
        dev_t device = 0;
        bool made = false;
        bool gained = false;  // a name came in since the last flush
        bool lost = false;    // a name went
        // For a folder not made in this run that files move into: the case keys of its
        // names, read once per move.
        bool keys_read = false;
        std::unordered_set<std::u32string> keys;
    };
    // Raises 58 when `name` differs only in case from a name of `folder` (not made in this
    // run); the caller adds the name's key once the name is there.
    void check_case(Folder& folder, const std::string& name, const std::string& path);
    // The open folder of the Windows text `folder`, opened when it is not yet: a folder that
    // lies directly in `beside` (the other folder of the move, as a backup folder lies in its
    // content folder) relative to that one's handle, never through a link; any other through
    // the prefix's mapping. A missing folder raises 76.
    Folder& open_folder(const std::string& folder, const std::string& beside = {});
    // `path` split into its folder's open handle and its name, taken exactly.
    Folder& folder_of(const std::string& path, std::string& name, const std::string& beside = {});

    void close_find();
    std::string next_match();

    WinePrefix prefix_;
    DIR* find_ = nullptr;
    std::string find_folder_;
    std::string find_pattern_;
    std::unordered_map<std::string, Folder> folders_;
    // Whether a clone of a copy's data is still worth trying, by file system.
    std::unordered_map<dev_t, bool> clones_;
    std::minstd_rand random_{std::random_device{}()};
};

}  // namespace pakscour::posix
