// A folder seen through the logging pass-through FUSE file system, for the tests that must run
// on FUSE: mounted in a child process that dies with the test (and then unmounts), unmounted
// with fusermount3 when the mount goes out of scope, whatever the test's outcome. `usable()`
// tells whether FUSE can be used here at all and, if not, why.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/vfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <doctest/doctest.h>

#include "fake_prefix.h"

namespace pakscour::test {

// Set when a FUSE test could not run here.
inline bool fuse_skipped = false;

class LogFsMount {
  public:
    // Empty when FUSE can be used; otherwise the reason it cannot.
    static std::string unusable_reason() {
#ifndef PAKSCOUR_LOG_FS
        return "the logging FUSE file system was not built (libfuse3-dev missing)";
#else
        const int fd = ::open("/dev/fuse", O_RDWR | O_CLOEXEC);
        if (fd < 0) return "/dev/fuse cannot be opened: " + std::string(std::strerror(errno));
        ::close(fd);
        if (std::system("command -v fusermount3 >/dev/null 2>&1") != 0)
            return "fusermount3 is missing (Debian package fuse3)";
        return {};
#endif
    }

    // Shows `backing` at the new folder `mount_point`, logging to `log`; `meddle` is "", "1"
    // (the file system races the first delete of an original) or "stuck" (it refuses to let
    // an original on its way out go or come back); `renames` is "", "exdev" or "noflags" (see
    // log_fs_main.cpp).
    LogFsMount(const fs::path& backing, const fs::path& mount_point, const fs::path& log,
               const char* meddle = "", const char* renames = "")
        : mount_point_(mount_point), log_(log) {
#ifdef PAKSCOUR_LOG_FS
        fs::create_directories(mount_point);
        pid_ = ::fork();
        if (pid_ == 0) {
            // Should the test die, the file system ends too and its mount goes with it.
            ::prctl(PR_SET_PDEATHSIG, SIGTERM);
            ::setenv("PAKSCOUR_LOG_FS_MEDDLE", meddle, 1);
            ::setenv("PAKSCOUR_LOG_FS_RENAME", renames, 1);
            ::execl(PAKSCOUR_LOG_FS, PAKSCOUR_LOG_FS, backing.c_str(), log.c_str(),
                    mount_point.c_str(), "-f", "-s", "-o", "auto_unmount",
                    static_cast<char*>(nullptr));
            ::_exit(127);
        }
        // Mounted once the folder reports the FUSE file system.
        for (int i = 0; i < 500 && pid_ > 0; ++i) {
            struct statfs st;
            if (::statfs(mount_point.c_str(), &st) == 0 && st.f_type == fuse_magic) {
                mounted_ = true;
                break;
            }
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
#else
        (void)backing;
        (void)meddle;
        (void)renames;
#endif
    }
    ~LogFsMount() {
        unmount();
    }
    LogFsMount(const LogFsMount&) = delete;
    LogFsMount& operator=(const LogFsMount&) = delete;

    bool mounted() const {
        return mounted_;
    }

    // Unmounts (lazily if it is still busy) and waits for the file system to end.
    void unmount() {
        if (mounted_) {
            const std::string folder = mount_point_.string();
            if (std::system(("fusermount3 -u '" + folder + "' 2>/dev/null").c_str()) != 0 &&
                std::system(("fusermount3 -u -z '" + folder + "'").c_str()) != 0)
                std::fprintf(stderr, "could not unmount %s\n", folder.c_str());
            mounted_ = false;
        }
        if (pid_ > 0) {
            int status = 0;
            for (int i = 0; i < 250 && ::waitpid(pid_, &status, WNOHANG) == 0; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            if (::waitpid(pid_, &status, WNOHANG) == 0) {
                ::kill(pid_, SIGKILL);
                ::waitpid(pid_, &status, 0);
            }
            pid_ = -1;
        }
        std::error_code ec;
        fs::remove(mount_point_, ec);
    }

    // The log's lines so far.
    std::vector<std::string> log() const {
        std::vector<std::string> lines;
        std::ifstream in(log_);
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }

  private:
    static constexpr long fuse_magic = 0x65735546;
    fs::path mount_point_;
    fs::path log_;
    pid_t pid_ = -1;
    bool mounted_ = false;
};

// True when FUSE can be used. Otherwise says loudly why not, and marks the run as skipped; on
// a CI machine (CI set), where FUSE is expected, that is a failure instead.
inline bool fuse_usable_or_skip() {
    const std::string reason = LogFsMount::unusable_reason();
    if (reason.empty()) return true;
    std::fprintf(stderr, "\n*** FUSE test SKIPPED: %s ***\n\n", reason.c_str());
    if (std::getenv("CI") != nullptr) {
        FAIL("FUSE is needed on a CI machine: " << reason);
    }
    fuse_skipped = true;
    return false;
}

}  // namespace pakscour::test
