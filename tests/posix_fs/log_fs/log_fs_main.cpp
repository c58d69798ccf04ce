// A pass-through FUSE file system for the tests: `pakscour_log_fs ROOT LOG MOUNTPOINT [FUSE
// options]` shows the folder ROOT at MOUNTPOINT and appends one line to the file LOG for each
// request that decides durability or moves or removes a name: "FSYNC path", "FSYNCDIR path",
// "UNLINK path", "RENAME from to", "LINK from to" (paths as seen in the mount, starting with
// /). Every other request is passed to ROOT without a log line.
// With PAKSCOUR_LOG_FS_MEDDLE=stuck it refuses (EACCES) to unlink a hidden ".pakscour-delete-"
// name or to rename it back, as a folder whose rules change under a program might.
// PAKSCOUR_LOG_FS_RENAME=exdev makes it answer EXDEV to every rename between two folders, as a
// file system made of several disks does (mergerfs); =noflags answers EINVAL to every rename
// with flags (RENAME_NOREPLACE), as many FUSE file systems do.
// With PAKSCOUR_LOG_FS_MEDDLE=1 in its environment it also plays, once, another program that
// races a delete: when a file is about to be renamed to a hidden ".pakscour-delete-" name, it
// first moves that file to the same name plus ".aside" and puts a new file ("meddled 1") in its
// place, which the rename then takes; right after the rename it puts another new file
// ("meddled 2") under the name. With =link, once a file has been linked, it plays a download
// that replaces that file (written aside, renamed over it) just before its old name is next
// unlinked or renamed ("download"). With =swap, the first file renamed from one visible name
// to another is taken aside (its name plus ".aside") and a folder put in its place just before.
#define FUSE_USE_VERSION 31
#include <dirent.h>
#include <fcntl.h>
#include <fuse.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::string root;
int log_fd = -1;
bool meddle = false;
bool replace_linked = false;
bool swap = false;
std::string linked;  // the old name of the file last linked, while replace_linked is armed
bool stuck = false;
bool exdev = false;
bool noflags = false;

std::string real(const char* path) {
    return root + path;
}

// One line, written with a single call so that lines of concurrent requests never mix.
void log_line(const std::string& line) {
    const std::string text = line + "\n";
    if (::write(log_fd, text.data(), text.size()) < 0) std::perror("log");
}

int result(int rc) {
    return rc < 0 ? -errno : rc;
}

int do_getattr(const char* path, struct stat* st, fuse_file_info* fi) {
    if (fi != nullptr) return result(::fstat(static_cast<int>(fi->fh), st));
    return result(::lstat(real(path).c_str(), st));
}

int do_readlink(const char* path, char* buf, size_t size) {
    const ssize_t n = ::readlink(real(path).c_str(), buf, size - 1);
    if (n < 0) return -errno;
    buf[n] = '\0';
    return 0;
}

int do_opendir(const char* path, fuse_file_info* fi) {
    DIR* dir = ::opendir(real(path).c_str());
    if (dir == nullptr) return -errno;
    fi->fh = reinterpret_cast<uint64_t>(dir);
    return 0;
}

int do_readdir(const char*, void* buf, fuse_fill_dir_t fill, off_t, fuse_file_info* fi,
               fuse_readdir_flags) {
    DIR* dir = reinterpret_cast<DIR*>(fi->fh);
    ::rewinddir(dir);
    while (const dirent* e = ::readdir(dir)) {
        struct stat st {};
        st.st_ino = e->d_ino;
        st.st_mode = static_cast<mode_t>(DTTOIF(e->d_type));
        if (fill(buf, e->d_name, &st, 0, static_cast<fuse_fill_dir_flags>(0)) != 0) break;
    }
    return 0;
}

int do_releasedir(const char*, fuse_file_info* fi) {
    ::closedir(reinterpret_cast<DIR*>(fi->fh));
    return 0;
}

int do_fsyncdir(const char* path, int, fuse_file_info* fi) {
    log_line(std::string("FSYNCDIR ") + path);
    return result(::fsync(::dirfd(reinterpret_cast<DIR*>(fi->fh))));
}

int do_mkdir(const char* path, mode_t mode) {
    return result(::mkdir(real(path).c_str(), mode));
}

int do_rmdir(const char* path) {
    return result(::rmdir(real(path).c_str()));
}

int do_symlink(const char* target, const char* path) {
    return result(::symlink(target, real(path).c_str()));
}

bool leaving(const std::string& path) {
    return path.find("/.pakscour-delete-") != std::string::npos;
}

// Writes a new file whole at `path`.
void put_file(const std::string& path, const std::string& bytes);

// With =link: the download that replaces the file last linked, when `path` is its old name.
void replace_if_linked(const char* path) {
    if (linked.empty() || linked != path) return;
    linked.clear();
    replace_linked = false;
    put_file(real(path) + ".download", "download");
    if (::rename((real(path) + ".download").c_str(), real(path).c_str()) != 0) std::perror(path);
}

int do_unlink(const char* path) {
    if (stuck && leaving(path)) return -EACCES;
    replace_if_linked(path);
    log_line(std::string("UNLINK ") + path);
    return result(::unlink(real(path).c_str()));
}

// Writes a new file whole at `path`.
void put_file(const std::string& path, const std::string& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
        std::perror(path.c_str());
    if (fd >= 0) ::close(fd);
}

std::string folder_of(const std::string& path) {
    return path.substr(0, path.find_last_of('/'));
}

int do_rename(const char* from, const char* to, unsigned int flags) {
    const std::string target = to;
    if (exdev && folder_of(from) != folder_of(target)) return -EXDEV;
    if (noflags && flags != 0) return -EINVAL;
    if (stuck && leaving(from)) return -EACCES;
    replace_if_linked(from);
    if (swap && std::string(from).find("/.") == std::string::npos &&
        target.find("/.") == std::string::npos) {
        swap = false;
        if (::rename(real(from).c_str(), (real(from) + ".aside").c_str()) != 0) std::perror(from);
        ::mkdir(real(from).c_str(), 0755);
    }
    const bool race = meddle && target.find("/.pakscour-delete-") != std::string::npos;
    if (race) {
        meddle = false;
        if (::rename(real(from).c_str(), (real(from) + ".aside").c_str()) != 0) std::perror(from);
        put_file(real(from), "meddled 1");
    }
    const int rc = ::renameat2(AT_FDCWD, real(from).c_str(), AT_FDCWD, real(to).c_str(), flags);
    if (rc == 0) log_line(std::string("RENAME ") + from + " " + to);
    const int e = errno;
    if (race) put_file(real(from), "meddled 2");
    errno = e;
    return result(rc);
}

int do_link(const char* from, const char* to) {
    if (exdev && folder_of(from) != folder_of(to)) return -EXDEV;
    const int rc = ::link(real(from).c_str(), real(to).c_str());
    if (rc == 0) log_line(std::string("LINK ") + from + " " + to);
    if (rc == 0 && replace_linked) linked = from;
    return result(rc);
}

int do_chmod(const char* path, mode_t mode, fuse_file_info* fi) {
    if (fi != nullptr) return result(::fchmod(static_cast<int>(fi->fh), mode));
    return result(::chmod(real(path).c_str(), mode));
}

int do_truncate(const char* path, off_t size, fuse_file_info* fi) {
    if (fi != nullptr) return result(::ftruncate(static_cast<int>(fi->fh), size));
    return result(::truncate(real(path).c_str(), size));
}

int do_utimens(const char* path, const timespec tv[2], fuse_file_info* fi) {
    if (fi != nullptr) return result(::futimens(static_cast<int>(fi->fh), tv));
    return result(::utimensat(AT_FDCWD, real(path).c_str(), tv, AT_SYMLINK_NOFOLLOW));
}

int do_create(const char* path, mode_t mode, fuse_file_info* fi) {
    const int fd = ::open(real(path).c_str(), fi->flags, mode);
    if (fd < 0) return -errno;
    fi->fh = static_cast<uint64_t>(fd);
    return 0;
}

int do_open(const char* path, fuse_file_info* fi) {
    const int fd = ::open(real(path).c_str(), fi->flags);
    if (fd < 0) return -errno;
    fi->fh = static_cast<uint64_t>(fd);
    return 0;
}

int do_read(const char*, char* buf, size_t size, off_t offset, fuse_file_info* fi) {
    const ssize_t n = ::pread(static_cast<int>(fi->fh), buf, size, offset);
    return n < 0 ? -errno : static_cast<int>(n);
}

int do_write(const char*, const char* buf, size_t size, off_t offset, fuse_file_info* fi) {
    const ssize_t n = ::pwrite(static_cast<int>(fi->fh), buf, size, offset);
    return n < 0 ? -errno : static_cast<int>(n);
}

int do_statfs(const char* path, struct statvfs* st) {
    return result(::statvfs(real(path).c_str(), st));
}

int do_release(const char*, fuse_file_info* fi) {
    ::close(static_cast<int>(fi->fh));
    return 0;
}

int do_fsync(const char* path, int, fuse_file_info* fi) {
    log_line(std::string("FSYNC ") + path);
    return result(::fsync(static_cast<int>(fi->fh)));
}

void* do_init(fuse_conn_info*, fuse_config* cfg) {
    // Every request reaches this program: no cached attributes or names that could hide one.
    cfg->use_ino = 1;
    cfg->entry_timeout = 0;
    cfg->attr_timeout = 0;
    cfg->negative_timeout = 0;
    return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s ROOT LOG MOUNTPOINT [FUSE options]\n", argv[0]);
        return 2;
    }
    root = argv[1];
    const char* meddling = std::getenv("PAKSCOUR_LOG_FS_MEDDLE");
    meddle = meddling != nullptr && std::string(meddling) == "1";
    stuck = meddling != nullptr && std::string(meddling) == "stuck";
    replace_linked = meddling != nullptr && std::string(meddling) == "link";
    swap = meddling != nullptr && std::string(meddling) == "swap";
    const char* renames = std::getenv("PAKSCOUR_LOG_FS_RENAME");
    exdev = renames != nullptr && std::string(renames) == "exdev";
    noflags = renames != nullptr && std::string(renames) == "noflags";
    log_fd = ::open(argv[2], O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (log_fd < 0) {
        std::perror(argv[2]);
        return 2;
    }
    fuse_operations ops{};
    ops.getattr = do_getattr;
    ops.readlink = do_readlink;
    ops.mkdir = do_mkdir;
    ops.unlink = do_unlink;
    ops.rmdir = do_rmdir;
    ops.symlink = do_symlink;
    ops.rename = do_rename;
    ops.link = do_link;
    ops.chmod = do_chmod;
    ops.truncate = do_truncate;
    ops.open = do_open;
    ops.read = do_read;
    ops.write = do_write;
    ops.statfs = do_statfs;
    ops.release = do_release;
    ops.fsync = do_fsync;
    ops.opendir = do_opendir;
    ops.readdir = do_readdir;
    ops.releasedir = do_releasedir;
    ops.fsyncdir = do_fsyncdir;
    ops.init = do_init;
    ops.create = do_create;
    ops.utimens = do_utimens;
    // fuse_main takes the program name, the mount point and the options.
    argv[2] = argv[0];
    return fuse_main(argc - 2, argv + 2, &ops, nullptr);
}
