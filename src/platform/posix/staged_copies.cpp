#include "platform/posix/staged_copies.h"

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/exact_remove.h"
#include "platform/posix/flush_kind.h"
#include "platform/posix/fs_errors.h"

namespace pakscour::posix {
namespace {

// Flushes a folder's entries; file systems that cannot flush a folder say EINVAL.
int sync_folder(int fd) {
    return ::fsync(fd) == 0 || errno == EINVAL ? 0 : errno;
}

// Flushes the file `name` of the open folder `dir`: 0 or the errno of the failure.
int sync_file(int dir, const std::string& name) {
    Fd file(::openat(dir, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!file) return errno;
    return ::fsync(file.get()) == 0 ? 0 : errno;
}

}  // namespace

int rename_no_replace(int dir, const std::string& from, const std::string& to) {
    if (::renameat2(dir, from.c_str(), dir, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return errno;
    // File systems without the no-replace rename: a hard link fails on an existing name too.
    if (::linkat(dir, from.c_str(), dir, to.c_str(), 0) != 0) return errno;
    ::unlinkat(dir, from.c_str(), 0);
    return 0;
}

StagedCopies::~StagedCopies() {
    clear();
}

int StagedCopies::watch(const std::filesystem::path& folder, std::size_t& index) {
    for (index = 0; index < folders_.size(); ++index)
        if (folders_[index].host == folder.native()) return 0;
    Fd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd) return errno;
    const bool batch_flush = syncfs_reaches_storage(fd.get());
    folders_.push_back(Folder{folder.native(), std::move(fd), copies_.size(), batch_flush});
    return 0;
}

int StagedCopies::flush_if_needed(std::size_t folder, int out) const {
    if (folders_[folder].batch_flush) return 0;
    return ::fsync(out) == 0 ? 0 : errno;
}

Fd StagedCopies::create_temp(std::size_t folder, std::string& temp) {
    static constexpr char letters[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::uniform_int_distribution<std::size_t> pick(0, sizeof letters - 2);
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp = ".pakscour-copy-";
        for (int i = 0; i < 8; ++i) temp += letters[pick(random_)];
        Fd fd(::openat(folders_[folder].fd.get(), temp.c_str(),
                       O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        if (fd || errno != EEXIST) return fd;
    }
    return Fd();
}

void StagedCopies::remove_temp(std::size_t folder, const std::string& temp) {
    ::unlinkat(folders_[folder].fd.get(), temp.c_str(), 0);
}

void StagedCopies::add(std::size_t folder, std::string temp, std::string name, CommittedCopy copy) {
    copy.copy = folders_[folder].host + "/" + name;
    copies_.push_back(Copy{std::move(temp), std::move(name), folder, std::move(copy)});
}

std::vector<CommittedCopy> StagedCopies::commit(RuntimeError& failure) {
    const std::size_t count = copies_.size();
    // Copies from `limit` on are not to keep a name; it only ever comes down.
    std::size_t limit = count;
    auto fail = [&](std::size_t at, int error) {
        if (at >= limit) return;
        limit = at;
        failure = errno_error(error, copies_[at].committed.windows_copy, err::path_not_found);
    };
    // The data of every copy, with one flush per folder's file system rather than per file
    // where that reaches storage; elsewhere each copy was flushed as it was made.
    for (const Folder& f : folders_)
        if (f.batch_flush && ::syncfs(f.fd.get()) != 0) fail(f.first, errno);
    // Then the names, in order; a name taken meanwhile stops the batch there. Each copy's
    // identity is taken under its hidden name, which no other program knows, so that the copy
    // is later taken back only while it is still that copy.
    std::size_t named = 0;
    for (; named < limit; ++named) {
        Copy& c = copies_[named];
        const int dir = folders_[c.folder].fd.get();
        const auto who = identity_at(dir, c.temp);
        if (!who) {
            fail(named, errno);
            break;
        }
        c.committed.named = *who;
        if (const int e = rename_no_replace(dir, c.temp, c.name); e != 0) {
            fail(named, e);
            break;
        }
        // Where the file system is not flushed as a whole, the copy is flushed again under its
        // name: a file system made of others (mergerfs) may keep the renamed file's state
        // apart from what the first flush reached.
        if (!folders_[c.folder].batch_flush)
            if (const int e = sync_file(dir, c.name); e != 0) fail(named, e);
    }
    // Then the folder entries. A folder that cannot be flushed takes its copies, and all later
    // ones, out of the batch: their originals are still in place.
    for (const Folder& f : folders_)
        if (f.first < named)
            if (const int e = sync_folder(f.fd.get()); e != 0) fail(f.first, e);
    // Copies out of the batch go: a named one only while it is still that copy.
    for (std::size_t i = limit; i < count; ++i) {
        const Copy& c = copies_[i];
        const int dir = folders_[c.folder].fd.get();
        int error = 0;
        if (i < named)
            remove_exact(dir, c.name, c.committed.named, error, random_);
        else
            ::unlinkat(dir, c.temp.c_str(), 0);
    }
    std::vector<CommittedCopy> committed;
    committed.reserve(limit);
    for (std::size_t i = 0; i < limit; ++i) committed.push_back(std::move(copies_[i].committed));
    copies_.clear();
    folders_.clear();
    return committed;
}

void StagedCopies::clear() {
    for (const Copy& c : copies_) ::unlinkat(folders_[c.folder].fd.get(), c.temp.c_str(), 0);
    copies_.clear();
    folders_.clear();
}

}  // namespace pakscour::posix
