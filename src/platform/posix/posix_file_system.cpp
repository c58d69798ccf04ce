#include "platform/posix/posix_file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "platform/posix/exact_remove.h"
#include "platform/posix/fd.h"
#include "platform/posix/file_data.h"
#include "platform/posix/fs_errors.h"
#include "platform/posix/fs_names.h"
#include "platform/posix/staged_copies.h"
#include "platform/runtime_error.h"

namespace pakscour::posix {
namespace fs = std::filesystem;

namespace {

std::size_t last_separator(const std::string& path) {
    return path.find_last_of("\\/");
}

// Flushes a folder's entries to disk; file systems that cannot sync a folder say EINVAL.
int sync_folder(const fs::path& folder) {
    Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir) return errno;
    if (::fsync(dir.get()) != 0 && errno != EINVAL) return errno;
    return 0;
}

// True for a name that the prefix's mapping would take as it stands: a valid Windows name,
// without the trailing dots and blanks that Windows drops.
bool plain_name(std::string_view name) {
    return !name.empty() && name.back() != '.' && name.back() != ' ' && windows_nameable(name);
}

// The key of a name in a folder other than a made one: the host folder exactly, the name
// ignoring case.
std::u32string key_in(const fs::path& folder, std::string_view name) {
    std::u32string key(folder.native().begin(), folder.native().end());
    key.push_back(U'/');
    return key + case_key(name);
}

}  // namespace

PosixFileSystem::PosixFileSystem(WinePrefix prefix) : prefix_(std::move(prefix)) {}

std::int32_t PosixFileSystem::missing_number(const std::string& path) const {
    return prefix_.for_new(path) ? err::file_not_found : err::path_not_found;
}

fs::path PosixFileSystem::new_item(const std::string& path) const {
    auto host = prefix_.for_new(path);
    if (!host) raise_error(err::path_not_found, path);
    return *host;
}

fs::path PosixFileSystem::existing_item(const std::string& path) const {
    auto host = prefix_.existing(path);
    if (!host) raise_error(missing_number(path), path);
    return *host;
}

PosixFileSystem::~PosixFileSystem() {
    close_find();
}

void PosixFileSystem::close_find() {
    if (find_ != nullptr) ::closedir(find_);
    find_ = nullptr;
}

std::string PosixFileSystem::find_first(const std::string& pattern) {
    close_find();
    // A new scan looks at the folders afresh.
    known_folder_.clear();
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

PosixFileSystem::MadeFolder* PosixFileSystem::made_folder_of(const std::string& path,
                                                             std::string_view& name) {
    const auto cut = last_separator(path);
    if (cut == std::string::npos) return nullptr;
    const auto found = made_.find(path.substr(0, cut));
    if (found == made_.end()) return nullptr;
    name = std::string_view(path).substr(cut + 1);
    return plain_name(name) ? &found->second : nullptr;
}

std::string PosixFileSystem::create_folder(const std::string& path) {
    const fs::path host = new_item(path);
    if (::mkdir(host.c_str(), 0777) != 0) raise_errno(errno, path, err::path_not_found);
    // The new folder's entry reaches the disk before files are moved into it.
    if (const int e = sync_folder(host.parent_path()); e != 0)
        raise_errno(e, path, err::path_not_found);
    std::string_view name;
    if (MadeFolder* parent = made_folder_of(path, name)) parent->names.insert(case_key(name));
    made_.insert_or_assign(path, MadeFolder{host, {}});
    return path;
}

std::optional<fs::path> PosixFileSystem::known_candidate(const std::string& path) const {
    const auto cut = last_separator(path);
    if (cut == std::string::npos || known_folder_.empty() ||
        std::string_view(path).substr(0, cut) != known_folder_)
        return std::nullopt;
    const std::string_view name = std::string_view(path).substr(cut + 1);
    if (!plain_name(name)) return std::nullopt;
    return known_host_ / name;
}

void PosixFileSystem::remember_folder(const std::string& path, const fs::path& host) {
    const auto cut = last_separator(path);
    if (cut == std::string::npos || !plain_name(std::string_view(path).substr(cut + 1))) return;
    known_folder_ = path.substr(0, cut);
    known_host_ = host.parent_path();
}

// Copies at least this large are handed to the disk as soon as they are made.
constexpr off_t early_write_bytes = off_t{1} << 20;

std::uint64_t PosixFileSystem::stage_copy(const std::string& from, const std::string& to) {
    // Non-blocking, so that a FIFO put in the file's place cannot hold the program up.
    constexpr int read_flags = O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK;
    Fd in;
    fs::path source;
    if (auto candidate = known_candidate(from)) {
        in = Fd(::open(candidate->c_str(), read_flags));
        if (in || errno != ENOENT) source = std::move(*candidate);
    }
    if (source.empty()) {
        source = existing_item(from);
        in = Fd(::open(source.c_str(), read_flags));
        remember_folder(from, source);
    }
    if (!in) raise_errno(errno == ELOOP ? EACCES : errno, from, missing_number(from));
    struct stat before;
    if (::fstat(in.get(), &before) != 0) raise_errno(errno, from, err::file_not_found);
    if (!S_ISREG(before.st_mode)) raise_error(err::permission_denied, from);

    // In a folder made in this run, a name that differs only in case from one already put
    // there is found in the folder's set of names (and one put there by another program
    // stops the commit); elsewhere the mapping finds it on disk and the batch's own set finds
    // it among the copies not yet named.
    const Target target = new_target(to);
    const fs::path& folder_host = target.folder;
    std::string name = target.name;
    MadeFolder* made = target.made;
    std::u32string key = made != nullptr ? case_key(name) : key_in(folder_host, name);
    if (made == nullptr && staged_elsewhere_.count(key) != 0) raise_error(err::file_exists, to);

    std::size_t folder = 0;
    if (const int e = staged_.watch(folder_host, folder); e != 0)
        raise_errno(e, to, err::path_not_found);
    // The data goes into a hidden file beside the target, which takes the target's name only
    // at the commit, once it is on disk, so that not even a killed program leaves a partial
    // file under the name of a backup. Any failure removes the hidden file.
    std::string partial;
    Fd out = staged_.create_temp(folder, partial);
    if (!out) raise_errno(errno, to, err::path_not_found);
    int failure = copy_data(in.get(), out.get(), staged_.try_clone(folder));
    bool short_copy = false;
    if (failure == 0 && ::fchmod(out.get(), before.st_mode & 0777) != 0) failure = errno;
    if (failure == 0) {
        struct stat copied;
        struct stat after;
        if (::fstat(out.get(), &copied) != 0 || ::fstat(in.get(), &after) != 0)
            failure = errno;
        else
            short_copy = copied.st_size != after.st_size;
    }
    // Where the commit's flush would not reach storage, the copy goes there now, whole.
    if (failure == 0 && !short_copy) failure = staged_.flush_if_needed(folder, out.get());
    // A large copy starts on its way to the disk at once, while the next ones are made, so
    // that the batch's flush finds most of its data written already.
    if (failure == 0 && !short_copy && before.st_size >= early_write_bytes)
        ::sync_file_range(out.get(), 0, 0, SYNC_FILE_RANGE_WRITE);
    if (const int e = out.close_checked(); failure == 0 && e != 0) failure = e;
    if (failure != 0 || short_copy) {
        staged_.remove_temp(folder, partial);
        if (short_copy) raise_error(err::device_io, from);
        // A read error belongs to the source; every other failure to the target.
        raise_errno(failure, failure == EIO ? from : to, err::path_not_found);
    }
    staged_.add(folder, std::move(partial), std::move(name),
                CommittedCopy{source.native(), {}, from, to, identity_of(before), {}});
    if (made != nullptr)
        made->names.insert(key);
    else
        staged_elsewhere_.insert(key);
    staged_names_.emplace_back(made, std::move(key));
    return static_cast<std::uint64_t>(before.st_size);
}

std::vector<CommittedCopy> PosixFileSystem::commit_copies(RuntimeError& failure) {
    std::vector<CommittedCopy> committed = staged_.commit(failure);
    // The deletes of this batch open their folders afresh: a folder kept open since an earlier
    // batch may have been removed and made anew at the same place.
    delete_dir_.reset();
    const std::size_t named = committed.size();
    // The copies that did not get their names give them back.
    for (std::size_t i = named; i < staged_names_.size(); ++i)
        if (MadeFolder* made = staged_names_[i].first) made->names.erase(staged_names_[i].second);
    staged_names_.clear();
    staged_elsewhere_.clear();
    return committed;
}

PosixFileSystem::Target PosixFileSystem::new_target(const std::string& to) {
    Target t;
    std::string_view made_name;
    t.made = made_folder_of(to, made_name);
    if (t.made != nullptr) {
        if (t.made->names.count(case_key(made_name)) != 0) raise_error(err::file_exists, to);
        t.folder = t.made->host;
        t.name = made_name;
        return t;
    }
    const fs::path target = new_item(to);
    struct stat existing;
    if (::lstat(target.c_str(), &existing) == 0) raise_error(err::file_exists, to);
    t.folder = target.parent_path();
    t.name = target.filename().native();
    return t;
}

fs::path PosixFileSystem::existing_entry(const std::string& path, struct stat& st) {
    if (auto candidate = known_candidate(path); candidate && ::lstat(candidate->c_str(), &st) == 0)
        return std::move(*candidate);
    fs::path host = existing_item(path);
    remember_folder(path, host);
    if (::lstat(host.c_str(), &st) != 0) raise_errno(errno, path, err::file_not_found);
    return host;
}

void PosixFileSystem::delete_file(const std::string& path) {
    struct stat st;
    const fs::path host = existing_entry(path, st);
    if (S_ISDIR(st.st_mode)) raise_error(err::permission_denied, path);
    if (::unlink(host.c_str()) != 0) raise_errno(errno, path, err::file_not_found);
    // A copy removed from a made folder frees its name there.
    std::string_view name;
    if (MadeFolder* made = made_folder_of(path, name)) made->names.erase(case_key(name));
}

int PosixFileSystem::folder_of(const fs::path& host, const std::string& windows_path) {
    const std::string folder = host.parent_path().native();
    if (!delete_dir_ || folder != delete_folder_) {
        delete_dir_ = Fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        delete_folder_ = folder;
        if (!delete_dir_) {
            delete_folder_.clear();
            if (errno == ENOENT || errno == ENOTDIR) return -1;
            raise_errno(errno, windows_path, err::path_not_found);
        }
    }
    return delete_dir_.get();
}

Removal PosixFileSystem::remove_at(const fs::path& host, const std::string& windows_path,
                                   const FileIdentity& who, int& error) {
    const int dir = folder_of(host, windows_path);
    if (dir < 0) return Removal::other;
    return remove_exact(dir, host.filename().native(), who, error, random_);
}

bool PosixFileSystem::delete_original(const CommittedCopy& copy) {
    int error = 0;
    const Removal r = remove_at(copy.source, copy.windows_source, copy.original, error);
    if (r == Removal::refused) raise_errno(error, copy.windows_source, err::file_not_found);
    return r == Removal::removed;
}

bool PosixFileSystem::remove_copy(const CommittedCopy& copy) {
    int error = 0;
    const Removal r = remove_at(copy.copy, copy.windows_copy, copy.named, error);
    if (r == Removal::refused || r == Removal::stranded)
        raise_errno(error, copy.windows_copy, err::file_not_found);
    if (r != Removal::removed) return false;
    // A copy taken back from a made folder frees its name there.
    std::string_view name;
    if (MadeFolder* made = made_folder_of(copy.windows_copy, name))
        made->names.erase(case_key(name));
    return true;
}

}  // namespace pakscour::posix
