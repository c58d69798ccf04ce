// The Win32 file system as it behaves where the backup folder is on another file system than the
// content folder: every move_file answers so, touching nothing, and each file takes the copy
// path (a copy flushed and named, the exact removal of the original, a take-back of a copy).
#pragma once

#include <string>

#include "platform/win32/win32_file_system.h"

namespace pakscour::test {

class CopyingFileSystem : public win32::Win32FileSystem {
  public:
    using Win32FileSystem::Win32FileSystem;
    Moved move_file(const std::string&, const std::string&) override {
        return Moved::other_file_system;
    }
};

}  // namespace pakscour::test
