#include "platform/posix/staged_copies.h"

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/fs_errors.h"

namespace pakscour::posix {
namespace {

// Gives `from` the name `to` unless `to` exists: 0, or EEXIST or the errno of the failure.
int rename_no_replace(const std::string& from, const std::filesystem::path& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return errno;
    // File systems without the no-replace rename: a hard link fails on an existing name too.
    if (::link(from.c_str(), to.c_str()) != 0) return errno;
    ::unlink(from.c_str());
    return 0;
}

// Flushes a folder's entries; file systems that cannot flush a folder say EINVAL.
int sync_folder(int fd) {
    return ::fsync(fd) == 0 || errno == EINVAL ? 0 : errno;
}

}  // namespace

StagedCopies::~StagedCopies() {
    clear();
}

int StagedCopies::watch(const std::filesystem::path& folder, std::size_t& index) {
    for (index = 0; index < folders_.size(); ++index)
        if (folders_[index].host == folder.native()) return 0;
    Fd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd) return errno;
    folders_.push_back(Folder{folder.native(), std::move(fd), copies_.size()});
    return 0;
}

void StagedCopies::add(std::size_t folder, std::string temp, std::filesystem::path target,
                       std::string windows_target) {
    copies_.push_back(Copy{std::move(temp), std::move(target), std::move(windows_target), folder});
}

std::size_t StagedCopies::commit(RuntimeError& failure) {
    const std::size_t count = copies_.size();
    // Copies from `limit` on are not to keep a name; it only ever comes down.
    std::size_t limit = count;
    auto fail = [&](std::size_t at, int error) {
        if (at >= limit) return;
        limit = at;
        failure = errno_error(error, copies_[at].windows_target, err::path_not_found);
    };
    // The data of every copy, with one flush per folder's file system rather than per file.
    for (const Folder& f : folders_)
        if (::syncfs(f.fd.get()) != 0) fail(f.first, errno);
    // Then the names, in order; a name taken meanwhile stops the batch there.
    std::size_t named = 0;
    for (; named < limit; ++named) {
        if (const int e = rename_no_replace(copies_[named].temp, copies_[named].target); e != 0) {
            fail(named, e);
            break;
        }
    }
    // Then the folder entries. A folder that cannot be flushed takes its copies, and all later
    // ones, out of the batch: their originals are still in place.
    for (const Folder& f : folders_)
        if (f.first < named)
            if (const int e = sync_folder(f.fd.get()); e != 0) fail(f.first, e);
    for (std::size_t i = limit; i < count; ++i)
        ::unlink(i < named ? copies_[i].target.c_str() : copies_[i].temp.c_str());
    copies_.clear();
    folders_.clear();
    return limit;
}

void StagedCopies::clear() {
    for (const Copy& c : copies_) ::unlink(c.temp.c_str());
    copies_.clear();
    folders_.clear();
}

}  // namespace pakscour::posix
