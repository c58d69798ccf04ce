// PosixFileSystem's moves by rename: one renameat2 that never replaces anything between the two
// folders' handles, opened once for a whole move; a hard link and the unlink of the old name
// where the file system has no such rename; nothing where the two are on different file systems.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/exact_remove.h"
#include "platform/posix/fs_errors.h"
#include "platform/posix/fs_names.h"
#include "platform/posix/posix_file_system.h"
#include "platform/runtime_error.h"

namespace pakscour::posix {
namespace fs = std::filesystem;

namespace {

// Errors of a link that say the file system keeps no hard links (or none across these
// folders): the file is then copied.
bool links_refused(int e) {
    return e == EXDEV || e == EPERM || e == EOPNOTSUPP || e == ENOSYS || e == EMLINK;
}

}  // namespace

int PosixFileSystem::move_folder(MoveFolder& slot, const fs::path& folder,
                                 const std::string& windows_path) {
    if (slot.fd && slot.host == folder.native()) return slot.fd.get();
    // Another folder than the move's so far: what changed in the old one is made durable first.
    if (slot.fd && slot.changed && ::fsync(slot.fd.get()) != 0 && errno != EINVAL)
        raise_errno(errno, slot.windows, err::path_not_found);
    slot = MoveFolder{folder.native(), windows_path.substr(0, windows_path.find_last_of('\\')),
                      Fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)), false};
    if (!slot.fd) {
        const int e = errno;
        slot.host.clear();
        raise_errno(e, windows_path, err::path_not_found);
    }
    return slot.fd.get();
}

Moved PosixFileSystem::move_file(const std::string& from, const std::string& to) {
    // The source: the name listed, in the folder where it was found before; else the mapping,
    // which ignores case and raises 53 or 76 when nothing has the name any more.
    struct stat st;
    const fs::path source = existing_entry(from, st);
    // A folder or link put in the file's place is not moved.
    if (!S_ISREG(st.st_mode)) raise_error(err::permission_denied, from);

    const Target target = new_target(to);
    const std::string& name = target.name;
    MadeFolder* made = target.made;

    const int from_dir = move_folder(move_from_, source.parent_path(), from);
    const int to_dir = move_folder(move_to_, target.folder, to);
    const std::string old_name = source.filename().native();
    if (::renameat2(from_dir, old_name.c_str(), to_dir, name.c_str(), RENAME_NOREPLACE) != 0) {
        const int e = errno;
        if (e == EXDEV) return Moved::other_file_system;
        if (e == EEXIST || e == ENOTEMPTY) raise_error(err::file_exists, to);
        if (e != EINVAL && e != ENOSYS) raise_errno(e, from, missing_number(from));
        // No rename that refuses to replace (mergerfs, many FUSE file systems): a hard link
        // fails on an existing name too. Killed between the link and the unlink, the file has
        // two names, never none.
        if (::linkat(from_dir, old_name.c_str(), to_dir, name.c_str(), 0) != 0) {
            const int link_error = errno;
            if (links_refused(link_error)) return Moved::other_file_system;
            if (link_error == EEXIST) raise_error(err::file_exists, to);
            raise_errno(link_error, from, missing_number(from));
        }
        // The old name goes only while it is still the file linked: a file another program
        // put in its place meanwhile stays where it is.
        const auto linked = identity_at(to_dir, name);
        const auto old = identity_at(from_dir, old_name);
        if (linked && old && *linked == *old && ::unlinkat(from_dir, old_name.c_str(), 0) != 0) {
            const int unlink_error = errno;
            int ignored = 0;
            remove_exact(to_dir, name, *linked, ignored, random_);
            raise_errno(unlink_error, from, err::file_not_found);
        }
    }
    move_from_.changed = true;
    move_to_.changed = true;
    if (made != nullptr) made->names.insert(case_key(name));
    return Moved::renamed;
}

void PosixFileSystem::flush_moves() {
    int failure = 0;
    std::string folder;
    for (MoveFolder* slot : {&move_from_, &move_to_}) {
        if (slot->fd && slot->changed && ::fsync(slot->fd.get()) != 0 && errno != EINVAL &&
            failure == 0) {
            failure = errno;
            folder = slot->windows;
        }
        *slot = MoveFolder();
    }
    if (failure != 0) raise_errno(failure, folder, err::path_not_found);
}

}  // namespace pakscour::posix
