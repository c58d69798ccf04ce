// PosixFileSystem's moves: one rename that never replaces anything between the two folders'
// open handles, checked to have moved the file listed; where the folders are on different file
// systems, one copy of one file, named once whole and on disk, and then the exact removal of
// its original; the removal of a second name left by an interrupted move; and the flushes.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/exact_remove.h"
#include "platform/posix/file_data.h"
#include "platform/posix/fs_errors.h"
#include "platform/posix/fs_names.h"
#include "platform/posix/posix_file_system.h"
#include "platform/runtime_error.h"

namespace pakscour::posix {

namespace {

// The folder part of a Windows path text.
std::string folder_text(const std::string& path) {
    return path.substr(0, path.find_last_of("\\/"));
}

// Looks at the file `name` of `dir` for a move: a missing one raises 53, anything but a plain
// file (a folder, a link, a device) 70.
struct stat checked_file(int dir, const std::string& name, const std::string& path) {
    struct stat st;
    if (::fstatat(dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        raise_errno(errno, path, err::file_not_found);
    if (!S_ISREG(st.st_mode)) raise_error(err::permission_denied, path);
    return st;
}

// Raises the failure of a rename or copy into `to_dir`: a taken name 58; a vanished source 53,
// or 76 when the source is there and the target folder has gone.
[[noreturn]] void raise_move_error(int e, int from_dir, const std::string& from_name,
                                   const std::string& from, const std::string& to) {
    if (e == EEXIST || e == ENOTEMPTY) raise_error(err::file_exists, to);
    if (e == ENOENT && identity_at(from_dir, from_name)) raise_error(err::path_not_found, to);
    raise_errno(e, from, err::file_not_found);
}

}  // namespace

void PosixFileSystem::check_case(Folder& folder, const std::string& name, const std::string& path) {
    if (folder.made) return;
    if (!folder.keys_read) {
        Fd fd(::openat(folder.fd.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        DIR* dir = fd ? ::fdopendir(fd.get()) : nullptr;
        if (dir == nullptr) raise_errno(errno, path, err::path_not_found);
        (void)fd.release();
        folder.keys.reserve(4096);
        while (const dirent* e = ::readdir(dir))
            if (e->d_name[0] != '.') folder.keys.insert(case_key(e->d_name));
        ::closedir(dir);
        folder.keys_read = true;
    }
    if (folder.keys.count(case_key(name)) != 0) raise_error(err::file_exists, path);
}

Moved PosixFileSystem::move_file(const std::string& from, const std::string& to) {
    std::string from_name;
    std::string to_name;
    Folder& source = folder_of(from, from_name, folder_text(to));
    Folder& target = folder_of(to, to_name, folder_text(from));
    const struct stat st = checked_file(source.fd.get(), from_name, from);
    check_case(target, to_name, to);
    const int e = rename_no_replace(source.fd.get(), from_name, target.fd.get(), to_name, random_);
    if (e == EXDEV) return Moved::other_file_system;
    if (e != 0) raise_move_error(e, source.fd.get(), from_name, from, to);
    source.lost = true;
    target.gained = true;
    if (target.keys_read) target.keys.insert(case_key(to_name));
    // What moved is the file checked; anything put in its place meanwhile goes back.
    struct stat moved;
    if (::fstatat(target.fd.get(), to_name.c_str(), &moved, AT_SYMLINK_NOFOLLOW) == 0 &&
        moved.st_dev == st.st_dev && moved.st_ino == st.st_ino)
        return Moved::renamed;
    put_back(target.fd.get(), to_name, source.fd.get(), from_name);
    raise_error(err::file_not_found, from);
}

Copied PosixFileSystem::copy_file(const std::string& from, const std::string& to) {
    std::string from_name;
    std::string to_name;
    Folder& source = folder_of(from, from_name, folder_text(to));
    Folder& target = folder_of(to, to_name, folder_text(from));
    const int from_dir = source.fd.get();
    const int to_dir = target.fd.get();
    // Non-blocking, so that a FIFO put in the file's place cannot hold the program up.
    Fd in(::openat(from_dir, from_name.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
    if (!in) raise_errno(errno == ELOOP ? EACCES : errno, from, err::file_not_found);
    struct stat before;
    if (::fstat(in.get(), &before) != 0) raise_errno(errno, from, err::file_not_found);
    if (!S_ISREG(before.st_mode)) raise_error(err::permission_denied, from);
    if (identity_at(to_dir, to_name)) raise_error(err::file_exists, to);
    check_case(target, to_name, to);

    // The data goes into a hidden file beside the target, which takes the target's name only
    // once it is on disk, so that not even a killed program leaves a partial file under the
    // name of a backup.
    Fd out;
    const std::string partial = hidden_name(to_dir, "copy", to_name, random_, &out);
    if (!out) raise_errno(errno, to, err::path_not_found);
    auto clone = clones_.try_emplace(target.device, true).first;
    int failure = copy_data(in.get(), out.get(), clone->second);
    struct stat copied {};
    struct stat after {};
    if (failure == 0 && ::fchmod(out.get(), before.st_mode & 0777) != 0) failure = errno;
    if (failure == 0 && ::fsync(out.get()) != 0) failure = errno;
    if (failure == 0 && (::fstat(out.get(), &copied) != 0 || ::fstat(in.get(), &after) != 0))
        failure = errno;
    if (const int e = out.close_checked(); failure == 0 && e != 0) failure = e;
    // The original is closed before it goes: some file systems keep a file still open aside.
    in.reset();
    if (failure == 0 &&
        (copied.st_size != after.st_size || identity_of(after) != identity_of(before)))
        failure = EIO;
    if (failure == 0) failure = rename_no_replace(to_dir, partial, to_dir, to_name, random_);
    if (failure != 0) {
        ::unlinkat(to_dir, partial.c_str(), 0);
        // A read error belongs to the source; a taken name and every other failure to the
        // target.
        if (failure == EEXIST) raise_error(err::file_exists, to);
        raise_errno(failure, failure == EIO ? from : to, err::path_not_found);
    }
    if (target.keys_read) target.keys.insert(case_key(to_name));
    // Flushed again under its name (a file system made of others, as mergerfs, may keep the
    // renamed file's state apart), then the folder's entry, before the original goes.
    if (Fd named(::openat(to_dir, to_name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        named)
        ::fsync(named.get());
    if (const int e = flush_folder(to_dir); e != 0) {
        int ignored = 0;
        remove_exact(to_dir, to_name, identity_of(copied), ignored, random_);
        raise_errno(e, to, err::path_not_found);
    }
    int error = 0;
    switch (remove_exact(from_dir, from_name, identity_of(before), error, random_)) {
        case Removal::removed:
            source.lost = true;
            return Copied::moved;
        case Removal::refused: {
            // The original is back under its name: the copy goes, while it is still that copy,
            // so that a clean tried again makes no second copy of it.
            int ignored = 0;
            if (remove_exact(to_dir, to_name, identity_of(copied), ignored, random_) ==
                Removal::removed)
                flush_folder(to_dir);
            raise_errno(error, from, err::file_not_found);
        }
        default:
            return Copied::in_both;
    }
}

bool PosixFileSystem::remove_second_name(const std::string& path, const FileIdentity& who) {
    std::string name;
    Folder& folder = folder_of(path, name);
    struct stat st;
    if (::fstatat(folder.fd.get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISREG(st.st_mode) || st.st_nlink < 2 || identity_of(st) != who)
        return false;
    int error = 0;
    const Removal r = remove_exact(folder.fd.get(), name, who, error, random_);
    if (r == Removal::refused || r == Removal::stranded)
        raise_errno(error, path, err::file_not_found);
    if (r != Removal::removed) return false;
    folder.lost = true;
    return true;
}

void PosixFileSystem::flush_moves() {
    // The folders that gained names first, then those that lost them: a file system that
    // writes folders independently may then leave a file under two names, never none.
    int failure = 0;
    std::string failed;
    for (const bool gained : {true, false})
        for (auto& [text, f] : folders_) {
            if (!(gained ? f.gained : f.lost)) continue;
            if (const int e = flush_folder(f.fd.get()); e != 0 && failure == 0) {
                failure = e;
                failed = text;
            }
        }
    // Only the folders made in this run stay open, for the moves into them.
    for (auto it = folders_.begin(); it != folders_.end();) {
        it->second.gained = it->second.lost = false;
        it = it->second.made ? std::next(it) : folders_.erase(it);
    }
    if (failure != 0) raise_errno(failure, failed, err::path_not_found);
}

}  // namespace pakscour::posix
