#include "platform/posix/exact_remove.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/staged_copies.h"

namespace pakscour::posix {
namespace {

// Room for the hidden name's prefix, dash and random letters within a name's 255 bytes.
constexpr std::size_t kept_name_bytes = 255 - 17 - 1 - 8;

// A hidden name free in `dir` for the file `name` on its way out: ".pakscour-delete-NAME-XXXXXXXX",
// so that a file left so (by a kill at that moment) still says what it was.
std::string hidden_name(int dir, const std::string& name, std::minstd_rand& random) {
    static constexpr char letters[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::uniform_int_distribution<std::size_t> pick(0, sizeof letters - 2);
    std::size_t keep = std::min(name.size(), kept_name_bytes);
    // Never in the middle of a UTF-8 character.
    while (keep > 0 && keep < name.size() &&
           (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80)
        --keep;
    std::string hidden;
    struct stat st;
    do {
        hidden = ".pakscour-delete-" + name.substr(0, keep) + "-";
        for (int i = 0; i < 8; ++i) hidden += letters[pick(random)];
    } while (::fstatat(dir, hidden.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0);
    return hidden;
}

// A visible name beside `name` for a file that cannot have it: "name (2).pk3", "name (3).pk3"…
std::string beside_name(const std::string& name, int n) {
    const auto dot = name.find_last_of('.');
    const std::size_t cut = dot == std::string::npos || dot == 0 ? name.size() : dot;
    return name.substr(0, cut) + " (" + std::to_string(n) + ")" + name.substr(cut);
}

// Gives a file taken out of its name `name` to the hidden `hidden` its name back or, when
// another file has the name by now, the first free visible name beside it; then makes that
// durable. False when it keeps the hidden name.
bool put_back(int dir, const std::string& hidden, const std::string& name) {
    int e = rename_no_replace(dir, hidden, name);
    for (int n = 2; e == EEXIST && n < 1000; ++n)
        e = rename_no_replace(dir, hidden, beside_name(name, n));
    ::fsync(dir);
    return e == 0;
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
    const std::string hidden = hidden_name(dir, name, random);
    if (::renameat2(dir, name.c_str(), dir, hidden.c_str(), RENAME_NOREPLACE) != 0 &&
        ((errno != EINVAL && errno != ENOSYS) ||
         ::renameat(dir, name.c_str(), dir, hidden.c_str()) != 0)) {
        error = errno;
        return error == ENOENT ? Removal::other : Removal::refused;
    }
    if (identity_at(dir, hidden) != who) {
        // Whatever was renamed is another program's file: it goes back, visible.
        put_back(dir, hidden, name);
        return Removal::other;
    }
    if (::unlinkat(dir, hidden.c_str(), 0) != 0) {
        error = errno;
        return put_back(dir, hidden, name) ? Removal::refused : Removal::stranded;
    }
    return Removal::removed;
}

}  // namespace pakscour::posix
