#include "platform/posix/proton_prefixes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstddef>
#include <set>
#include <string_view>

#include "platform/posix/host_files.h"

namespace pakscour::posix {
namespace fs = std::filesystem;

namespace {

// The games' keys as Wine writes them in a key header (the backslash escaped), lower-cased:
// Software\\Activision\\Call of Duty, ...\\Call of Duty United Offensive, ...\\Call of Duty 2.
constexpr std::string_view needle = "activision\\\\call of duty";
// A registry file larger than this is no prefix's; the registry reader refuses it too.
constexpr std::uintmax_t max_registry = std::uintmax_t{256} << 20;

unsigned char lower(unsigned char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

// Horspool's search, ignoring ASCII case: a byte that is not in the needle moves the window by
// the needle's whole length, so a megabyte is crossed in a fraction of a millisecond.
class FoldedSearch {
  public:
    FoldedSearch() {
        shift_.fill(needle.size());
        for (std::size_t i = 0; i + 1 < needle.size(); ++i) {
            const auto c = static_cast<unsigned char>(needle[i]);
            shift_[c] = needle.size() - 1 - i;
            if (c >= 'a' && c <= 'z') shift_[c - ('a' - 'A')] = needle.size() - 1 - i;
        }
    }

    bool in(const unsigned char* data, std::size_t size) const {
        const std::size_t m = needle.size();
        for (std::size_t at = 0; at + m <= size; at += shift_[data[at + m - 1]]) {
            std::size_t i = m;
            while (i > 0 && lower(data[at + i - 1]) == static_cast<unsigned char>(needle[i - 1]))
                --i;
            if (i == 0) return true;
        }
        return false;
    }

  private:
    std::array<std::size_t, 256> shift_{};
};

}  // namespace

bool registry_mentions_games(const fs::path& registry_file) {
    static const FoldedSearch search;
    // Non-blocking, so that opening a FIFO cannot hang; it is refused below anyway.
    const int fd = ::open(registry_file.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return false;
    struct stat st;
    bool found = false;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
        static_cast<std::uintmax_t>(st.st_size) <= max_registry) {
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
        // Each block is searched with the needle's length less one byte of the block before it
        // in front, so that a hit across two reads is seen.
        static thread_local std::array<unsigned char, std::size_t{1} << 18> buffer;
        const std::size_t keep = needle.size() - 1;
        std::size_t held = 0;
        for (;;) {
            const ssize_t n = ::read(fd, buffer.data() + held, buffer.size() - held);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            const std::size_t filled = held + static_cast<std::size_t>(n);
            if (search.in(buffer.data(), filled)) {
                found = true;
                break;
            }
            held = filled < keep ? filled : keep;
            std::copy(buffer.data() + filled - held, buffer.data() + filled, buffer.data());
        }
    }
    ::close(fd);
    return found;
}

std::vector<fs::path> proton_prefixes_with_games(const std::vector<std::string>& libraries) {
    std::vector<fs::path> out;
    std::set<fs::path> seen;
    for (const std::string& library : libraries) {
        const fs::path compatdata = fs::path(library) / "steamapps" / "compatdata";
        for (const std::string& name : sorted_names(compatdata)) {
            // A link loop or a dangling link has no real path and is passed over.
            const auto prefix = real_path(compatdata / name / "pfx");
            if (!prefix || !seen.insert(*prefix).second) continue;
            if (registry_mentions_games(*prefix / "system.reg")) out.push_back(*prefix);
        }
    }
    return out;
}

}  // namespace pakscour::posix
