// The file system over Win32, as the games see it: a content folder below a protected folder
// (Program Files) is listed together with its VirtualStore copy, each name once, and a file is
// moved from where it really is. Enumerations return only plain, visible files. A file moves by
// one rename through its open handle that never replaces anything (exact_files.h); only where
// that answers that the two places are on different file systems is it copied into a hidden
// file, flushed, named, checked, and its original removed exactly. Every call takes its path in
// the extended-length form ("\\?\"), so deep folders and names like devices work; reports name
// the ordinary paths.
//
// Folders are flushed by one rule, wherever Windows can flush one (FlushFileBuffers on the
// folder open for writing; a file system that cannot is left to its own journal): every folder
// that gained or lost names is flushed by flush_moves, the one that gained them first, so that a
// power cut can leave a file under two names but never under none; and a copy flushes the folder
// it was named in before its original goes, as from then on the copy may be the only one. So a
// move is durable before it is reported, on the rename path as on the copy path, and a clean of
// thousands of renames costs two folder flushes, not one per file. The
// folders of a run of moves stay open until flush_moves: the backup folder (the one of the two
// that is inside the other, or one that create_folder made) is opened without following a link
// or junction and checked to be a plain folder, and no other program can rename or replace it
// while it is open.
#pragma once

#include <deque>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/file_system.h"
#include "platform/win32/virtual_store.h"

namespace pakscour::win32 {

class Win32FileSystem : public FileSystem {
  public:
    // With the protected folders and the VirtualStore of the current user.
    Win32FileSystem();
    explicit Win32FileSystem(VirtualStore store);
    Win32FileSystem(const Win32FileSystem&) = delete;
    Win32FileSystem& operator=(const Win32FileSystem&) = delete;
    ~Win32FileSystem() override;

    // A folder missing at the start is an empty enumeration; a failure to start raises the
    // matching number, and a failure in the middle of the list raises 57.
    std::string find_first(const std::string& pattern) override;
    std::string find_next() override;
    // Makes the folder where it is asked for; when that is refused below a protected folder
    // (or its parent exists only in the VirtualStore), makes it in the VirtualStore copy
    // instead, if the copy's parent exists. Returns the path of the folder made.
    std::string create_folder(const std::string& path) override;
    // Renames the file where it really is (its VirtualStore copy when there is one) to `to`,
    // which must be on the same drive. The file is opened as itself and checked to be a plain
    // file (a folder, link or junction raises 70), then renamed through that handle; what bears
    // the name `to` afterwards is checked to be that file, in the folder checked, and anything
    // else is put back (53, or 70 for a folder that turned into a link). Where Windows answers
    // ERROR_NOT_SAME_DEVICE, nothing is touched and the file must be copied.
    Moved move_file(const std::string& from, const std::string& to) override;
    // Flushes the folders of the moves since the last call (see above) and closes them.
    void flush_moves() override;
    // win32_file_system_copy.cpp. The original is held open, sharing reads only, while it is
    // copied into a hidden file beside `to`; the copy gets its attributes (read-only included)
    // and times, is flushed, named, its folder flushed, and checked; then the original is
    // removed exactly (remove_exactly). A read-only original loses the attribute just before,
    // and gets it back if the delete is refused.
    Copied copy_file(const std::string& from, const std::string& to) override;
    bool remove_second_name(const std::string& path, const FileIdentity& who) override;

    // Folders as a whole (win32_file_system_folders.cpp). The real folder is writable when a
    // hidden probe file can be made in it; otherwise new files go to its VirtualStore copy.
    std::vector<FolderEntry> list_folder(const std::string& folder) override;
    std::string writable_folder(const std::string& folder) override;
    bool remove_empty_folder(const std::string& folder) override;

  protected:
    // CreateDirectoryW: 0, or the Win32 error of the failure.
    virtual unsigned long make_folder(const std::wstring& path);
    // Whether new files may be made in the folder: 0, or the Win32 error of the refusal.
    virtual unsigned long probe_writable(const std::wstring& folder);

  private:
    // A folder of the moves since the last flush_moves, held open sharing reading and writing
    // but not deleting, so that no other program renames it or puts something in its place.
    struct OpenFolder {
        std::wstring path;  // extended-length
        void* handle;       // open for writing where that is allowed, else for reading
        bool writable;
        bool checked;  // opened without following a link and checked to be a plain folder
        bool gained = false, lost = false;
    };
    // The open folder at the extended-length `path`, opened now if it is not yet; `checked`
    // opens it as itself and checks it (70 for a link or junction). A missing folder raises 76.
    OpenFolder& open_folder(const std::wstring& path, bool checked);
    // Whether the checked folder's path still leads to a plain folder (Wine lets a host program
    // replace a folder that a Windows program holds open).
    static bool still_a_folder(const OpenFolder& folder);
    void close_folders();
    // Where the file `path` names really is: its VirtualStore copy when there is one.
    std::wstring where(const std::wstring& path) const;
    // The places of a move from `from` to `to`: the text for reports of where the file really
    // is (its VirtualStore copy when there is one), both paths in the extended-length form, and
    // their folders.
    struct Places {
        std::string source_text;
        std::wstring source_path, target_path, source_folder, target_folder;
    };
    Places places_of(const std::string& from, const std::string& to) const;
    // The backup folder of a move between `folder` and `other` (extended-length): one made by
    // create_folder, or the one of the two that is a folder of the other.
    bool is_backup(const std::wstring& folder, const std::wstring& other) const;

    void close_find();
    std::string next_match();

    VirtualStore store_;
    std::deque<OpenFolder> open_;
    std::set<std::wstring> made_;  // the folders made by create_folder, upper-cased

    // The enumeration: the folders to list in turn (the VirtualStore copy first, marked true),
    // the one being listed, its FindFirstFileW handle, and the upper-cased names found in the
    // VirtualStore copy, which shadow the real folder's entries of the same name.
    std::vector<std::pair<std::wstring, bool>> folders_;
    std::size_t next_folder_ = 0;
    std::wstring folder_;
    bool listing_store_ = false;
    void* find_ = nullptr;       // nullptr when no folder is being listed
    std::wstring file_pattern_;  // the last component of the pattern, "*.pk3"
    std::set<std::wstring> shadowed_;
};

// Case-insensitive wildcard match of a long file name ("*" any run, "?" one character). Win32
// also matches patterns against 8.3 short names, so "*.pk3" finds "map.pk3x" through its short
// name "MAP~1.PK3"; each name found is checked again with this.
bool wildcard_match(std::wstring_view name, std::wstring_view pattern);

}  // namespace pakscour::win32
