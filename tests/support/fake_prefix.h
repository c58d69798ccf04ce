// Temporary folders for the tests, and a temporary Wine prefix in one: drive C: is
// <prefix>/drive_c through the link dosdevices/c:, and the tests put real files below it.
#pragma once

#include <dirent.h>
#include <stdlib.h>
#include <sys/mount.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace pakscour::test {

namespace fs = std::filesystem;

// A folder in memory (/dev/shm) where there is one, for tests whose subject is not the disk:
// their many flushed copies then cost nothing. Else the temporary folder.
inline fs::path memory_folder() {
    const fs::path shm = "/dev/shm";
    return fs::is_directory(shm) && ::access(shm.c_str(), W_OK | X_OK) == 0
               ? shm
               : fs::temp_directory_path();
}

// A fresh folder, removed with its contents afterwards.
class TempFolder {
  public:
    explicit TempFolder(const fs::path& base = fs::temp_directory_path(),
                        const std::string& name = "pakscour-home") {
        std::string tmpl = (base / (name + "-XXXXXX")).string();
        if (::mkdtemp(tmpl.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        root_ = fs::canonical(tmpl);
    }
    ~TempFolder() {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const fs::path& root() const { return root_; }
    fs::path operator/(const std::string& rel) const { return root_ / rel; }

  private:
    fs::path root_;
};

class FakePrefix {
  public:
    explicit FakePrefix(const fs::path& base = fs::temp_directory_path())
        : folder_(base, "pakscour-fs") {
        fs::create_directories(root() / "drive_c");
        fs::create_directories(root() / "dosdevices");
        fs::create_directory_symlink("../drive_c", root() / "dosdevices" / "c:");
    }

    const fs::path& root() const { return folder_.root(); }
    // Host path of a path below drive C:.
    fs::path c(const std::string& rel) const { return root() / "drive_c" / rel; }
    // Writes a file below drive C: (and its folders).
    void file(const std::string& rel, const std::string& content = "data") const {
        const fs::path p = c(rel);
        fs::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << content;
    }

  private:
    TempFolder folder_;
};

inline std::string read_file(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// True when `p` is a file holding exactly `bytes` (an empty file counts only when it exists).
inline bool holds(const fs::path& p, const std::string& bytes) {
    return fs::is_regular_file(p) && read_file(p) == bytes;
}

// Bytes that differ from file to file and are not all alike within one.
inline std::string test_bytes(std::size_t size, unsigned seed) {
    std::string s(size, '\0');
    unsigned x = seed * 2654435761u + 1;
    for (char& ch : s) {
        x = x * 1103515245u + 12345u;
        ch = static_cast<char>(x >> 24);
    }
    return s;
}

// The names of a folder in the order the host's readdir gives them.
inline std::vector<std::string> readdir_order(const fs::path& folder) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return names;
    while (const dirent* e = ::readdir(dir)) names.emplace_back(e->d_name);
    ::closedir(dir);
    return names;
}

// A small tmpfs mounted on a folder for the test's lifetime; needs root. `ok` tells whether
// the mount worked.
class SmallTmpfs {
  public:
    SmallTmpfs(const fs::path& where, const std::string& options) : where_(where) {
        fs::create_directories(where_);
        ok = ::mount("tmpfs", where_.c_str(), "tmpfs", 0, options.c_str()) == 0;
    }
    ~SmallTmpfs() {
        if (ok) ::umount2(where_.c_str(), MNT_DETACH);
    }
    SmallTmpfs(const SmallTmpfs&) = delete;
    SmallTmpfs& operator=(const SmallTmpfs&) = delete;
    // Makes the mounted file system read-only.
    bool make_read_only() {
        return ::mount("tmpfs", where_.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }

    bool ok = false;

  private:
    fs::path where_;
};

}  // namespace pakscour::test
