#include "platform/posix/file_data.h"

#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace pakscour::posix {
namespace {

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

}  // namespace

int copy_data(int in, int out, bool& try_clone) {
    if (try_clone) {
        if (::ioctl(out, FICLONE, in) == 0) return 0;
        if (unsupported(errno)) try_clone = false;
    }
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

}  // namespace pakscour::posix
