#include "platform/posix/flush_kind.h"

#include <sys/vfs.h>

#include <algorithm>
#include <array>
#include <cstdint>

namespace pakscour::posix {
namespace {

// Super-block magic numbers, as statfs reports them in f_type.
constexpr std::array<std::uint32_t, 11> syncfs_kinds = {
    0xEF53,      // ext2, ext3, ext4
    0x58465342,  // XFS
    0x9123683E,  // Btrfs
    0xF2F52010,  // F2FS
    0xCA451A4E,  // bcachefs
    0x52654973,  // ReiserFS
    0x3153464A,  // JFS
    0x01021994,  // tmpfs
    0x858458F6,  // ramfs
    0x794C7630,  // overlayfs, whose syncfs flushes its upper file system
    0x2FC12FC1,  // ZFS
};

}  // namespace

bool syncfs_reaches_storage(int fd) {
    struct statfs info;
    if (::fstatfs(fd, &info) != 0) return false;
    const auto kind = static_cast<std::uint32_t>(info.f_type);
    return std::find(syncfs_kinds.begin(), syncfs_kinds.end(), kind) != syncfs_kinds.end();
}

}  // namespace pakscour::posix
