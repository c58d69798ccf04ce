#include "platform/posix/posix_file_system.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

#include "platform/posix/fs_errors.h"
#include "platform/posix/fs_names.h"
#include "platform/runtime_error.h"

namespace pakscour::posix {
namespace fs = std::filesystem;

namespace {

// A file descriptor closed when it goes out of scope.
class Fd {
  public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() { reset(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    void reset() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }
    // Closes now and reports close's own failure (a delayed write error, for instance).
    int close_checked() {
        const int rc = ::close(fd_);
        fd_ = -1;
        return rc == 0 ? 0 : errno;
    }

  private:
    int fd_;
};

std::size_t last_separator(const std::string& path) {
    return path.find_last_of("\\/");
}

// What a missing item is called: 76 when even its folder is missing, else 53.
std::int32_t missing_number(const WinePrefix& prefix, const std::string& path) {
    return prefix.for_new(path) ? err::file_not_found : err::path_not_found;
}

// Host path of an item to be created; raises 76 when its folder does not exist.
fs::path new_item(const WinePrefix& prefix, const std::string& path) {
    auto host = prefix.for_new(path);
    if (!host) raise_error(err::path_not_found, path);
    return *host;
}

// Host path of an existing item; raises 53 or 76 when there is none.
fs::path existing_item(const WinePrefix& prefix, const std::string& path) {
    auto host = prefix.existing(path);
    if (!host) raise_error(missing_number(prefix, path), path);
    return *host;
}

// Flushes a folder's entries to disk; file systems that cannot sync a folder say EINVAL.
int sync_folder(const fs::path& folder) {
    Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir) return errno;
    if (::fsync(dir.get()) != 0 && errno != EINVAL) return errno;
    return 0;
}

bool unsupported(int e) {
    return e == EXDEV || e == EINVAL || e == ENOSYS || e == EOPNOTSUPP || e == ENOTTY || e == EBADF;
}

// Copies the rest of `in` into `out` with read and write; 0 or the errno of the failure.
int copy_by_reading(int in, int out) {
    std::vector<char> buffer(1 << 18);
    for (;;) {
        const ssize_t got = ::read(in, buffer.data(), buffer.size());
        if (got < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (got == 0) return 0;
        for (ssize_t done = 0; done < got;) {
            const ssize_t put = ::write(out, buffer.data() + done, static_cast<size_t>(got - done));
            if (put < 0) {
                if (errno == EINTR) continue;
                return errno;
            }
            done += put;
        }
    }
}

// Copies all of `in` into the empty `out`: a shared-extent clone where the file system can,
// else an in-kernel copy, else read and write. 0 or the errno of the failure.
int copy_data(int in, int out) {
    if (::ioctl(out, FICLONE, in) == 0) return 0;
    for (;;) {
        const ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, 1 << 30, 0);
        if (n == 0) return 0;
        if (n > 0) continue;
        if (errno == EINTR) continue;
        // The offsets have moved past what was copied; reading carries on from there.
        if (unsupported(errno)) return copy_by_reading(in, out);
        return errno;
    }
}

// Gives `from` the name `to` unless `to` exists: 0, or EEXIST or the errno of the failure.
int rename_no_replace(const std::string& from, const fs::path& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return errno;
    // File systems without the no-replace rename: a hard link fails on an existing name too.
    if (::link(from.c_str(), to.c_str()) != 0) return errno;
    ::unlink(from.c_str());
    return 0;
}

}  // namespace

PosixFileSystem::PosixFileSystem(WinePrefix prefix) : prefix_(std::move(prefix)) {}

PosixFileSystem::~PosixFileSystem() {
    close_find();
}

void PosixFileSystem::close_find() {
    if (find_ != nullptr) ::closedir(find_);
    find_ = nullptr;
}

std::string PosixFileSystem::find_first(const std::string& pattern) {
    close_find();
    const auto cut = last_separator(pattern);
    if (cut == std::string::npos) return {};
    find_pattern_ = pattern.substr(cut + 1);
    find_folder_ = pattern.substr(0, cut);
    const std::string& folder = find_folder_;
    const auto host = prefix_.existing(folder);
    if (!host) return {};
    const int fd = ::open(host->c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR) return {};
        raise_errno(errno, folder, err::path_not_found);
    }
    find_ = ::fdopendir(fd);
    if (find_ == nullptr) {
        const int e = errno;
        ::close(fd);
        raise_errno(e, folder, err::path_not_found);
    }
    return next_match();
}

std::string PosixFileSystem::find_next() {
    return next_match();
}

std::string PosixFileSystem::next_match() {
    while (find_ != nullptr) {
        errno = 0;
        const dirent* e = ::readdir(find_);
        if (e == nullptr) {
            const int failure = errno;
            close_find();
            if (failure != 0) raise_errno(failure, find_folder_, err::path_not_found);
            return {};
        }
        const char* name = e->d_name;
        // Dot files are hidden, which also skips "." and "..".
        if (name[0] == '.') continue;
        if (e->d_type != DT_REG) {
            if (e->d_type != DT_UNKNOWN) continue;
            struct stat st;
            if (::fstatat(::dirfd(find_), name, &st, AT_SYMLINK_NOFOLLOW) != 0 ||
                !S_ISREG(st.st_mode))
                continue;
        }
        const std::string_view view(name);
        if (wildcard_match(view, find_pattern_) && windows_nameable(view)) return std::string(view);
    }
    return {};
}

std::string PosixFileSystem::create_folder(const std::string& path) {
    const fs::path host = new_item(prefix_, path);
    if (::mkdir(host.c_str(), 0777) != 0) raise_errno(errno, path, err::path_not_found);
    // The new folder's entry reaches the disk before files are moved into it.
    if (const int e = sync_folder(host.parent_path()); e != 0)
        raise_errno(e, path, err::path_not_found);
    return path;
}

std::uint64_t PosixFileSystem::stage_copy(const std::string& from, const std::string& to) {
    const fs::path source = existing_item(prefix_, from);
    // Non-blocking, so that a FIFO put in the file's place cannot hold the program up.
    Fd in(::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
    if (!in) raise_errno(errno == ELOOP ? EACCES : errno, from, missing_number(prefix_, from));
    struct stat before;
    if (::fstat(in.get(), &before) != 0) raise_errno(errno, from, err::file_not_found);
    if (!S_ISREG(before.st_mode)) raise_error(err::permission_denied, from);

    const fs::path target = new_item(prefix_, to);
    struct stat existing;
    if (::lstat(target.c_str(), &existing) == 0) raise_error(err::file_exists, to);

    // The data goes into a hidden file beside the target and takes the target's name only once
    // it is whole and on disk, so that not even a killed program leaves a partial file under
    // the name of a backup. Any failure removes the hidden file; the caller keeps the original.
    std::string partial = (target.parent_path() / ".pakscour-copy-XXXXXX").string();
    Fd out(::mkostemp(partial.data(), O_CLOEXEC));
    if (!out) raise_errno(errno, to, err::path_not_found);
    int failure = copy_data(in.get(), out.get());
    bool short_copy = false;
    if (failure == 0 && ::fchmod(out.get(), before.st_mode & 0777) != 0) failure = errno;
    if (failure == 0 && ::fsync(out.get()) != 0) failure = errno;
    if (failure == 0) {
        struct stat copied;
        struct stat after;
        if (::fstat(out.get(), &copied) != 0 || ::fstat(in.get(), &after) != 0)
            failure = errno;
        else
            short_copy = copied.st_size != after.st_size;
    }
    if (const int e = out.close_checked(); failure == 0 && e != 0) failure = e;
    bool named = false;
    if (failure == 0 && !short_copy) {
        failure = rename_no_replace(partial, target);
        named = failure == 0;
    }
    if (failure == 0 && !short_copy) failure = sync_folder(target.parent_path());
    if (failure != 0 || short_copy) {
        ::unlink(named ? target.c_str() : partial.c_str());
        if (short_copy) raise_error(err::device_io, from);
        // A read error belongs to the source; every other failure to the target.
        raise_errno(failure, failure == EIO ? from : to, err::path_not_found);
    }
    ++staged_;
    return static_cast<std::uint64_t>(before.st_size);
}

std::size_t PosixFileSystem::commit_copies(RuntimeError&) {
    return std::exchange(staged_, 0);
}

void PosixFileSystem::delete_file(const std::string& path) {
    const fs::path host = existing_item(prefix_, path);
    struct stat st;
    if (::lstat(host.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        raise_error(err::permission_denied, path);
    if (::unlink(host.c_str()) != 0) raise_errno(errno, path, err::file_not_found);
}

}  // namespace pakscour::posix
