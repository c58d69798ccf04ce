#include "platform/posix/posix_file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "platform/posix/exact_remove.h"
#include "platform/posix/fd.h"
#include "platform/posix/fs_errors.h"
#include "platform/posix/fs_names.h"
#include "platform/runtime_error.h"

namespace pakscour::posix {
namespace fs = std::filesystem;

namespace {

std::size_t last_separator(const std::string& path) {
    return path.find_last_of("\\/");
}

// A folder opened for its entries and for the moves in it.
constexpr int folder_flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;

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

PosixFileSystem::Folder& PosixFileSystem::open_folder(const std::string& folder,
                                                      const std::string& beside) {
    if (const auto found = folders_.find(folder); found != folders_.end()) return found->second;
    Fd fd;
    const auto cut = last_separator(folder);
    if (!beside.empty() && cut != std::string::npos && folder.compare(0, cut, beside) == 0 &&
        cut == beside.size()) {
        // A folder inside the other folder of the move: relative to that one's handle, by its
        // exact name, and never through a link put in its place.
        const int parent = open_folder(beside).fd.get();
        fd = Fd(::openat(parent, folder.c_str() + cut + 1, folder_flags | O_NOFOLLOW));
    } else if (const auto host = prefix_.existing(folder)) {
        fd = Fd(::open(host->c_str(), folder_flags));
    } else {
        errno = ENOENT;
    }
    struct stat st;
    if (!fd || ::fstat(fd.get(), &st) != 0) {
        const int e = errno;
        raise_errno(e == ELOOP || e == ENOENT ? ENOTDIR : e, folder, err::path_not_found);
    }
    Folder& f = folders_[folder];
    f.fd = std::move(fd);
    f.device = st.st_dev;
    return f;
}

PosixFileSystem::Folder& PosixFileSystem::folder_of(const std::string& path, std::string& name,
                                                    const std::string& beside) {
    const auto cut = last_separator(path);
    if (cut == std::string::npos) raise_error(err::path_not_found, path);
    name = path.substr(cut + 1);
    // A name no Windows path could hold names nothing here.
    if (name.empty() || !windows_nameable(name)) raise_error(err::file_not_found, path);
    return open_folder(path.substr(0, cut), beside);
}

std::string PosixFileSystem::create_folder(const std::string& path) {
    // The name as the prefix's mapping gives it: an existing folder in another case keeps its
    // own, and the mkdir below then finds it taken.
    const auto host = prefix_.for_new(path);
    const auto cut = last_separator(path);
    if (!host || cut == std::string::npos) raise_error(err::path_not_found, path);
    Folder& parent = open_folder(path.substr(0, cut));
    const std::string name = host->filename().native();
    if (::mkdirat(parent.fd.get(), name.c_str(), 0777) != 0)
        raise_errno(errno, path, err::path_not_found);
    // Opened as made, never through a link put in its place meanwhile, and checked to be a
    // folder of the same file system.
    Fd fd(::openat(parent.fd.get(), name.c_str(), folder_flags | O_NOFOLLOW));
    struct stat st;
    if (!fd || ::fstat(fd.get(), &st) != 0 || st.st_dev != parent.device)
        raise_error(err::permission_denied, path);
    // The new folder's entry reaches the disk before files are moved into it.
    if (const int e = flush_folder(parent.fd.get()); e != 0)
        raise_errno(e, path, err::path_not_found);
    Folder& made = folders_[path];
    made.fd = std::move(fd);
    made.device = st.st_dev;
    made.made = true;
    return path;
}

}  // namespace pakscour::posix
