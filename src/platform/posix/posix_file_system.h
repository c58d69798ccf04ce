// The Linux file system behind the FileSystem interface: Windows path texts are mapped into
// the Wine prefix; enumerations return only regular, non-hidden files with Windows-nameable
// names; a file moves by one rename that replaces nothing; where it must be copied instead,
// copies are staged in hidden files and named only once flushed to disk and checked, and an
// original (or a copy taken back) is deleted only at the exact place it was and while it is
// that file.
#pragma once

#include <dirent.h>
#include <sys/stat.h>

#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "platform/file_system.h"
#include "platform/posix/exact_remove.h"
#include "platform/posix/fd.h"
#include "platform/posix/staged_copies.h"
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
    // An existing folder raises 58, a missing parent 76, a refusal 70.
    std::string create_folder(const std::string& path) override;
    // renameat2 with RENAME_NOREPLACE between the two folders' handles (kept open for the next
    // file of the same move); where the file system has no such rename, a hard link and then
    // the unlink of the old name; other_file_system on EXDEV and where hard links are refused
    // too. A missing source raises 53 (76), a taken target 58 (in a folder made in this run,
    // also one that differs only in case; elsewhere one the prefix's mapping finds in any
    // case), anything but a regular file at the source 70 (posix_file_system_moves.cpp).
    Moved move_file(const std::string& from, const std::string& to) override;
    // One fsync of each folder the moves changed.
    void flush_moves() override;
    // A missing source raises 53 (76 when its folder is missing), an existing target 58, also
    // one that differs only in case, staged or named. (In a folder made in this run only its
    // own names are looked up; a file another program put there under the target's name
    // stops the commit with 58.) A failed copy leaves no target behind: no space 61, refused
    // 70, read or write error 57. Nothing is flushed yet.
    std::uint64_t stage_copy(const std::string& from, const std::string& to) override;
    // One flush of each target folder's file system for the whole batch where that reaches
    // storage (each copy was flushed as it was made elsewhere), then the names (without
    // replacing anything), then one flush of each target folder.
    std::vector<CommittedCopy> commit_copies(RuntimeError& failure) override;
    // Takes the original out of its name to a hidden one first, so that what is unlinked is
    // what was checked: a file that another program put in its place meanwhile goes back under
    // its name (or, when that name was taken again, under a free visible one beside it).
    // A refusal raises 70.
    bool delete_original(const CommittedCopy& copy) override;
    // The same exact removal for a copy, by the identity it had when it was named. A refusal
    // raises 70.
    bool remove_copy(const CommittedCopy& copy) override;
    // A missing file raises 53 (76 when its folder is missing), a refusal or a folder 70.
    void delete_file(const std::string& path) override;

    // Folders as a whole (posix_file_system_folders.cpp). A folder that cannot be read raises
    // 70 or 76; writable_folder gives the folder itself, as Wine writes wherever the user may.
    std::vector<FolderEntry> list_folder(const std::string& folder) override;
    std::string writable_folder(const std::string& folder) override;
    bool remove_empty_folder(const std::string& folder) override;

  private:
    // A folder made by create_folder in this run, and the names (case-folded) of the copies
    // staged or named in it since. A clash ignoring case is looked up here instead of by
    // reading the folder, which for a clean would cost a read of the folder per file.
    struct MadeFolder {
        std::filesystem::path host;
        std::unordered_set<std::u32string> names;
    };
    // The made folder a Windows path text lies directly in, with the name it has there;
    // nullptr when it is in no such folder or its name needs the full mapping.
    MadeFolder* made_folder_of(const std::string& path, std::string_view& name);

    // The host path that `path` has if it lies exactly in the folder of the last existing item
    // looked up, so that the files of one folder need the full mapping once; nullopt when it
    // does not lie there. The caller still falls back on the mapping when that path is missing.
    std::optional<std::filesystem::path> known_candidate(const std::string& path) const;
    // Remembers the folder of an existing item that the mapping found at `host`.
    void remember_folder(const std::string& path, const std::filesystem::path& host);

    void close_find();
    std::string next_match();
    // The open folder that holds `host`, kept for the next call in the same folder.
    int folder_of(const std::filesystem::path& host, const std::string& windows_path);
    // Where a new item `to` goes: the made folder it lies in (or nullptr), its folder's host
    // path and its name there. A name already taken raises 58: in a made folder one of its
    // own names in any case; elsewhere whatever the mapping finds, in any case, on disk.
    struct Target {
        MadeFolder* made = nullptr;
        std::filesystem::path folder;
        std::string name;
    };
    Target new_target(const std::string& to);
    // Removes the file at `host` while it is `who` (remove_exact); a missing folder is `other`.
    Removal remove_at(const std::filesystem::path& host, const std::string& windows_path,
                      const FileIdentity& who, int& error);
    // Host path of an existing item, `st` filled in by lstat: in the folder of the last item
    // looked up when the name is there as given, else by the mapping; raises 53 or 76.
    std::filesystem::path existing_entry(const std::string& path, struct stat& st);
    // What a missing item is called: 76 when even its folder is missing, else 53.
    std::int32_t missing_number(const std::string& path) const;
    // Host path of an item to be created; raises 76 when its folder does not exist.
    std::filesystem::path new_item(const std::string& path) const;
    // Host path of an existing item; raises 53 or 76 when there is none.
    std::filesystem::path existing_item(const std::string& path) const;

    // One of the two folders of the moves since the last flush_moves: its host path, its
    // Windows text for reports, its handle, and whether a rename changed it.
    struct MoveFolder {
        std::string host;
        std::string windows;
        Fd fd;
        bool changed = false;
    };
    // The open handle of `folder` for `slot`, opened when the slot held another folder (whose
    // changes are flushed first); `windows_path` names an item in it.
    int move_folder(MoveFolder& slot, const std::filesystem::path& folder,
                    const std::string& windows_path);

    WinePrefix prefix_;
    DIR* find_ = nullptr;
    std::string find_folder_;
    std::string find_pattern_;
    std::string known_folder_;  // Windows text of the folder last looked up, "" for none
    std::filesystem::path known_host_;
    std::unordered_map<std::string, MadeFolder> made_;
    StagedCopies staged_;
    // For each staged copy, the made folder whose names it was added to (or nullptr), and
    // that name, so that a copy that is not committed gives its name back.
    std::vector<std::pair<MadeFolder*, std::u32string>> staged_names_;
    // The keys of the staged copies bound for other folders: host folder and case-folded name.
    std::unordered_set<std::u32string> staged_elsewhere_;
    // The folder of the last original deleted in the current batch.
    std::string delete_folder_;
    Fd delete_dir_;
    MoveFolder move_from_;
    MoveFolder move_to_;
    std::minstd_rand random_{std::random_device{}()};
};

}  // namespace pakscour::posix
