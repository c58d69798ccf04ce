// The file system over Win32, as the games see it: a content folder below a protected folder
// (Program Files) is listed together with its VirtualStore copy, each name once, and a file is
// moved from where it really is. Enumerations return only plain, visible files. A file moves by
// one MoveFileExW that neither replaces nor copies; only where that answers that the two places
// are on different file systems is it copied (staged in a hidden temporary file, named in a batch
// once on disk) and its original deleted. Every call takes its path in the extended-length form
// ("\\?\"), so deep folders and names like devices work; reports name the ordinary paths.
#pragma once

#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/file_system.h"
#include "platform/win32/staged_copies.h"
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
    // which must be on the same drive. A folder or link in the file's place raises 70; where
    // Windows answers ERROR_NOT_SAME_DEVICE, nothing is touched and the file must be copied.
    Moved move_file(const std::string& from, const std::string& to) override;
    // Does nothing: a folder cannot be flushed on Windows, and NTFS keeps each rename atomic.
    void flush_moves() override;
    std::uint64_t stage_copy(const std::string& from, const std::string& to) override;
    std::vector<CommittedCopy> commit_copies(RuntimeError& failure) override;
    // Opens the original at the exact path it was copied from (the real folder or its
    // VirtualStore copy, whichever the copy read), with delete access and sharing reads only,
    // checks on that handle that it is still the file copied, and deletes it through the
    // handle: nothing can take its place in between. A read-only original loses the attribute
    // just before, and gets it back if the delete is refused.
    bool delete_original(const CommittedCopy& copy) override;
    // Removes the copy at the exact path it was named at, read-only or not, in the same way and
    // only while it is still the copy named (never looking in the VirtualStore); false, leaving
    // it, when that place is empty or another file holds it now.
    bool remove_copy(const CommittedCopy& copy) override;
    // Deletes the file where it really is; a read-only file loses the attribute just before.
    void delete_file(const std::string& path) override;

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
    void close_find();
    std::string next_match();
    // Where the file `path` names really is: its VirtualStore copy when there is one.
    std::wstring where(const std::wstring& path) const;

    VirtualStore store_;
    StagedCopies staged_;

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
