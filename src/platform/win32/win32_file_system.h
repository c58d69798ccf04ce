// The file system over Win32 (FindFirstFileW, CreateDirectoryW, CopyFileW, DeleteFileW):
// enumerations return only plain files, copies are flushed and size-checked before returning.
#pragma once

#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace pakscour::win32 {

class Win32FileSystem : public FileSystem {
  public:
    Win32FileSystem() = default;
    Win32FileSystem(const Win32FileSystem&) = delete;
    Win32FileSystem& operator=(const Win32FileSystem&) = delete;
    ~Win32FileSystem() override;

    std::string find_first(const std::string& pattern) override;
    std::string find_next() override;
    std::string create_folder(const std::string& path) override;
    // Each staged copy is still made whole, durable and named at once; the commit only counts.
    std::uint64_t stage_copy(const std::string& from, const std::string& to) override;
    std::size_t commit_copies(RuntimeError& failure) override;
    void delete_file(const std::string& path) override;

  private:
    void close_find();
    std::string next_match(bool first);

    void* find_ = nullptr;       // the FindFirstFileW handle, nullptr when none is open
    std::wstring pattern_path_;  // the whole pattern, folder included
    std::wstring file_pattern_;  // its last component, "*.pk3"
    std::size_t staged_ = 0;
};

// Case-insensitive wildcard match of a long file name ("*" any run, "?" one character). Win32
// also matches patterns against 8.3 short names, so "*.pk3" finds "map.pk3x" through its short
// name "MAP~1.PK3"; each name found is checked again with this.
bool wildcard_match(std::wstring_view name, std::wstring_view pattern);

}  // namespace pakscour::win32
