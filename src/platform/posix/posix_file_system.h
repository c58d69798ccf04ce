// The Linux file system behind the FileSystem interface: Windows path texts are mapped into
// the Wine prefix; enumerations return only regular, non-hidden files with Windows-nameable
// names; copies are flushed to disk and checked before they count as done.
#pragma once

#include <dirent.h>

#include <string>

#include "platform/file_system.h"
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
    // A missing source raises 53 (76 when its folder is missing), an existing target 58. A
    // failed copy leaves no target behind: no space 61, refused 70, read or write error 57.
    // Each staged copy is still made whole, durable and named at once; the commit only counts.
    std::uint64_t stage_copy(const std::string& from, const std::string& to) override;
    std::size_t commit_copies(RuntimeError& failure) override;
    // A missing file raises 53 (76 when its folder is missing), a refusal or a folder 70.
    void delete_file(const std::string& path) override;

  private:
    void close_find();
    std::string next_match();

    WinePrefix prefix_;
    DIR* find_ = nullptr;
    std::string find_folder_;
    std::string find_pattern_;
    std::size_t staged_ = 0;
};

}  // namespace pakscour::posix
