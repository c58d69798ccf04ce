// Which file systems a single flush of the whole file system (syncfs) makes durable: those
// that write their own data (ext2/3/4, XFS, Btrfs, F2FS and the like) and those in memory.
// On FUSE, network and unknown file systems it may not reach the storage, so every file and
// folder there is flushed on its own.
#pragma once

namespace pakscour::posix {

// True when the file system of the open file or folder `fd` is one of the known kinds whose
// syncfs reaches storage; false for any other kind and when the kind cannot be read.
bool syncfs_reaches_storage(int fd);

}  // namespace pakscour::posix
