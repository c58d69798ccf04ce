#include "platform/posix/host_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string_view>

#include "platform/posix/fs_names.h"

namespace pakscour::posix {
namespace fs = std::filesystem;

std::optional<std::string> read_small_file(const fs::path& path, std::size_t limit) {
    // Non-blocking, so that opening a FIFO cannot hang; it is refused below anyway.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return std::nullopt;
    std::optional<std::string> out;
    struct stat st;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
        static_cast<std::size_t>(st.st_size) <= limit) {
        std::string text;
        char buffer[65536];
        bool ok = true;
        for (;;) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0 || text.size() + static_cast<std::size_t>(n) > limit) {
                ok = false;
                break;
            }
            if (n == 0) break;
            text.append(buffer, static_cast<std::size_t>(n));
        }
        if (ok) out = std::move(text);
    }
    ::close(fd);
    return out;
}

std::vector<std::string> sorted_names(const fs::path& folder) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return names;
    while (const dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

std::optional<fs::path> real_path(const fs::path& path) {
    std::error_code ec;
    fs::path out = fs::canonical(path, ec);
    if (ec) return std::nullopt;
    return out;
}

std::optional<std::string> wine_host_path(const fs::path& path) {
    if (!path.is_absolute()) return std::nullopt;
    std::string out = "Z:";
    for (const fs::path& part : path.lexically_normal().relative_path()) {
        std::string name = part.string();
        if (name.empty()) continue;
        out += '\\';
        out += name;
        // The folder is read through its host path, so a name Windows would refuse (a colon, a
        // trailing dot) can still be shown; a backslash could not be told from a separator, and
        // the text must be valid UTF-8 without control characters.
        for (char& ch : name)
            if (std::string_view(":*?\"<>|").find(ch) != std::string_view::npos) ch = '_';
        if (!windows_nameable(name)) return std::nullopt;
    }
    if (out.size() == 2) out += '\\';
    return out;
}

}  // namespace pakscour::posix
