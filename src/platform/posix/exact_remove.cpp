#include "platform/posix/exact_remove.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace pakscour::posix {
namespace {

// Errors of a link that say the file system keeps no hard links (or none across these
// folders).
bool links_refused(int e) {
    return e == EXDEV || e == EPERM || e == EOPNOTSUPP || e == ENOSYS || e == EMLINK;
}

// renameat2 with RENAME_NOREPLACE: 0, or the errno; EINVAL where the file system has no such
// rename.
int renamed_no_replace(int from_dir, const std::string& from, int to_dir, const std::string& to) {
    if (::renameat2(from_dir, from.c_str(), to_dir, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    return errno == ENOSYS ? EINVAL : errno;
}

// A visible name beside `name` for a file that cannot have it: "name (2).pk3", "name (3).pk3"…
std::string beside_name(const std::string& name, int n) {
    const auto dot = name.find_last_of('.');
    const std::size_t cut = dot == std::string::npos || dot == 0 ? name.size() : dot;
    return name.substr(0, cut) + " (" + std::to_string(n) + ")" + name.substr(cut);
}

// Takes the file `name` of `dir` out of its name to a new hidden one without replacing
// anything: renameat2 with RENAME_NOREPLACE or, where the file system has none, a rename onto
// an empty placeholder file just made under that hidden name, the only thing it can replace.
int take_aside(int dir, const std::string& name, std::string& hidden, std::minstd_rand& random) {
    hidden = hidden_name(dir, "delete", name, random);
    const int e = renamed_no_replace(dir, name, dir, hidden);
    if (e != EINVAL) return e;
    Fd placeholder;
    hidden = hidden_name(dir, "delete", name, random, &placeholder);
    if (!placeholder) return errno;
    // Closed first: some file systems keep a file still open aside rather than replace it.
    placeholder.reset();
    if (::renameat(dir, name.c_str(), dir, hidden.c_str()) == 0) return 0;
    const int failure = errno;
    ::unlinkat(dir, hidden.c_str(), 0);
    return failure;
}

}  // namespace

FileIdentity identity_of(const struct stat& st) {
    return FileIdentity{
        static_cast<std::uint64_t>(st.st_dev), 0, static_cast<std::uint64_t>(st.st_ino),
        static_cast<std::uint64_t>(st.st_size),
        static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec};
}

std::optional<FileIdentity> identity_at(int dir, const std::string& name) {
    struct stat st;
    if (::fstatat(dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return std::nullopt;
    return identity_of(st);
}

int flush_folder(int dir) {
    return ::fsync(dir) == 0 || errno == EINVAL ? 0 : errno;
}

std::string hidden_name(int dir, const char* kind, const std::string& name,
                        std::minstd_rand& random, Fd* create) {
    static constexpr char letters[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::uniform_int_distribution<std::size_t> pick(0, sizeof letters - 2);
    const std::string prefix = std::string(".pakscour-") + kind + "-";
    // The whole hidden name within a name's 255 bytes, never cut inside a UTF-8 character.
    std::size_t keep = std::min(name.size(), 255 - prefix.size() - 9);
    while (keep > 0 && keep < name.size() &&
           (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80)
        --keep;
    for (int attempt = 0;; ++attempt) {
        std::string hidden = prefix + name.substr(0, keep) + "-";
        for (int i = 0; i < 8; ++i) hidden += letters[pick(random)];
        if (create != nullptr) {
            *create =
                Fd(::openat(dir, hidden.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
            if (*create || errno != EEXIST || attempt >= 100) return hidden;
            continue;
        }
        struct stat st;
        if (::fstatat(dir, hidden.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return hidden;
    }
}

int rename_no_replace(int from_dir, const std::string& from, int to_dir, const std::string& to,
                      std::minstd_rand& random) {
    const int e = renamed_no_replace(from_dir, from, to_dir, to);
    if (e != EINVAL) return e;
    // No rename that refuses to replace (mergerfs, ntfs-3g, many FUSE file systems): a hard
    // link fails on an existing name too. Killed between the link and the removal, the file
    // has two names, never none.
    if (::linkat(from_dir, from.c_str(), to_dir, to.c_str(), 0) != 0)
        return links_refused(errno) ? EXDEV : errno;
    const auto linked = identity_at(to_dir, to);
    if (!linked) return errno;
    int error = 0;
    switch (remove_exact(from_dir, from, *linked, error, random)) {
        case Removal::removed:
        // Another program put a file under the old name meanwhile: it stays, and the file
        // linked is under its new name.
        case Removal::other:
            return 0;
        default: {
            // The old name stays: the new one goes again, while it is still the file linked.
            int ignored = 0;
            remove_exact(to_dir, to, *linked, ignored, random);
            return error;
        }
    }
}

Removal remove_exact(int dir, const std::string& name, const FileIdentity& who, int& error,
                     std::minstd_rand& random) {
    // A file that is no longer the one meant is not touched at all.
    const auto now = identity_at(dir, name);
    if (!now) {
        error = errno;
        return error == ENOENT ? Removal::other : Removal::refused;
    }
    if (*now != who) return Removal::other;
    // Out of its name first: between the check above and the unlink another program may put a
    // new file under that name, and the unlink must not take that one.
    std::string hidden;
    if (const int e = take_aside(dir, name, hidden, random); e != 0) {
        error = e;
        return error == ENOENT ? Removal::other : Removal::refused;
    }
    if (identity_at(dir, hidden) != who) {
        // Whatever was taken aside is another program's file: it goes back, visible.
        put_back(dir, hidden, dir, name);
        return Removal::other;
    }
    if (::unlinkat(dir, hidden.c_str(), 0) != 0) {
        error = errno;
        return put_back(dir, hidden, dir, name) ? Removal::refused : Removal::stranded;
    }
    return Removal::removed;
}

bool put_back(int aside_dir, const std::string& aside, int dir, const std::string& name) {
    auto give = [&](const std::string& to) {
        const int e = renamed_no_replace(aside_dir, aside, dir, to);
        if (e != EINVAL) return e;
        // Where no rename refuses to replace, a link, and then the name aside goes: it is the
        // program's own (hidden or just made), known to no other.
        if (::linkat(aside_dir, aside.c_str(), dir, to.c_str(), 0) != 0) return errno;
        ::unlinkat(aside_dir, aside.c_str(), 0);
        return 0;
    };
    int e = give(name);
    for (int n = 2; e == EEXIST && n < 1000; ++n) e = give(beside_name(name, n));
    flush_folder(dir);
    return e == 0;
}

}  // namespace pakscour::posix
