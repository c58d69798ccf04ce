#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/exact_remove.h"
#include "platform/posix/fd.h"
#include "platform/posix/fs_errors.h"
#include "platform/posix/fs_names.h"
#include "platform/posix/posix_file_system.h"

namespace pakscour::posix {

std::vector<FileSystem::FolderEntry> PosixFileSystem::list_folder(const std::string& folder) {
    std::vector<FolderEntry> entries;
    const auto host = prefix_.existing(folder);
    if (!host) return entries;
    const int fd = ::open(host->c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) return entries;
        raise_errno(errno, folder, err::path_not_found);
    }
    DIR* dir = ::fdopendir(fd);
    if (dir == nullptr) {
        const int e = errno;
        ::close(fd);
        raise_errno(e, folder, err::path_not_found);
    }
    for (;;) {
        errno = 0;
        const dirent* d = ::readdir(dir);
        if (d == nullptr) {
            const int failure = errno;
            ::closedir(dir);
            // A list that broke off would pass for a complete one.
            if (failure != 0) raise_errno(failure, folder, err::path_not_found);
            return entries;
        }
        const std::string_view name(d->d_name);
        if (name == "." || name == ".." || !windows_nameable(name)) continue;
        struct stat st;
        if (::fstatat(::dirfd(dir), d->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
        FolderEntry e;
        e.name = name;
        e.path = folder + "\\" + e.name;
        e.folder = S_ISDIR(st.st_mode);
        e.plain = S_ISREG(st.st_mode) && name.front() != '.';
        if (e.plain) {
            e.size = static_cast<std::uint64_t>(st.st_size);
            e.identity = identity_of(st);
            e.links = static_cast<std::uint32_t>(st.st_nlink);
        }
        entries.push_back(std::move(e));
    }
}

std::string PosixFileSystem::writable_folder(const std::string& folder) {
    return folder;
}

bool PosixFileSystem::remove_empty_folder(const std::string& folder) {
    const auto host = prefix_.existing(folder);
    if (!host) return true;
    if (::rmdir(host->c_str()) != 0) {
        if (errno == ENOTEMPTY || errno == EEXIST) return false;
        if (errno == ENOENT) return true;
        raise_errno(errno, folder, err::path_not_found);
    }
    // The removal reaches the disk like every other change to the content folder.
    Fd parent(::open(host->parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (parent) flush_folder(parent.get());
    folders_.erase(folder);
    return true;
}

}  // namespace pakscour::posix
