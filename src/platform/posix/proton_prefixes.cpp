#include "platform/posix/proton_prefixes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <set>
#include <string_view>

#include "platform/posix/host_files.h"
#include "platform/posix/wine_registry_string.h"

namespace pakscour::posix {
namespace fs = std::filesystem;

namespace {

// A registry file larger than this is no prefix's; the registry reader refuses it too.
constexpr std::uintmax_t max_registry = std::uintmax_t{256} << 20;
// The bisection stops once the key is known to start in this many bytes, which are then read.
constexpr std::uintmax_t span = 8 << 10;

// The games' keys share their vendor's key and the start of their names: Call of Duty, Call of
// Duty United Offensive, Call of Duty 2. A 32-bit installer on a 64-bit prefix writes below
// Wow6432Node.
constexpr std::string_view vendor_keys[][3] = {{"software", "activision", ""},
                                               {"software", "wow6432node", "activision"}};
constexpr std::string_view game_name = "call of duty";

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

// Wine's order of two key names: the names lower-cased ("_" before the letters) and compared
// unit by unit, a name that is the start of another before it. (Wine folds letters beyond
// ASCII too; the names next to the games' keys are ASCII.)
int compare_names(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto x = static_cast<unsigned char>(lower(a[i]));
        const auto y = static_cast<unsigned char>(lower(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

std::vector<std::string> split_path(const std::string& path) {
    std::vector<std::string> out(1);
    for (const char c : path) {
        if (c == '\\')
            out.emplace_back();
        else
            out.back() += c;
    }
    return out;
}

// Wine writes every key after its parent and before its next sibling, siblings in name order:
// the order of whole paths compares them name by name, an ancestor first.
int compare_paths(const std::vector<std::string>& a, const std::vector<std::string_view>& b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i)
        if (const int c = compare_names(a[i], b[i])) return c;
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// The games' keys below `vendor` start at this path (and Call of Duty's own key is it).
std::vector<std::string_view> first_key(const std::string_view (&vendor)[3]) {
    std::vector<std::string_view> path(std::begin(vendor), std::end(vendor));
    if (path.back().empty()) path.pop_back();
    path.push_back(game_name);
    return path;
}

// Whether `path` is one of the games' keys or below one: `first`, with a name that starts as
// the games' do in its last place.
bool names_game(const std::vector<std::string>& path, const std::vector<std::string_view>& first) {
    if (path.size() < first.size()) return false;
    for (std::size_t i = 0; i + 1 < first.size(); ++i)
        if (compare_names(path[i], first[i]) != 0) return false;
    const std::string_view name = path[first.size() - 1];
    return compare_names(name.substr(0, std::min(name.size(), game_name.size())), game_name) == 0;
}

// A registry file read a block at a time, the last block kept, so that reading on from a place
// just read costs no more reads.
class RegistryFile {
  public:
    RegistryFile(int fd, std::uintmax_t size) : fd_(fd), size_(size) {}

    std::uintmax_t size() const { return size_; }

    // The bytes from `offset`, up to `length`; fewer at the end of the file or on an error.
    std::string_view read(std::uintmax_t offset, std::size_t length) {
        if (offset < start_ || offset + length > start_ + block_.size()) {
            const std::uintmax_t end = std::min(offset + std::max(length, block), size_);
            block_.assign(end > offset ? end - offset : 0, '\0');
            std::size_t got = 0;
            while (got < block_.size()) {
                const ssize_t n = ::pread(fd_, block_.data() + got, block_.size() - got,
                                          static_cast<off_t>(offset + got));
                if (n < 0 && errno == EINTR) continue;
                if (n <= 0) break;
                got += static_cast<std::size_t>(n);
            }
            block_.resize(got);
            start_ = offset;
        }
        const std::string_view held = block_;
        return held.substr(offset - start_, length);
    }

    struct Header {
        std::uintmax_t at;  // where its line starts
        std::vector<std::string> path;
    };

    // The first key header whose line starts at or after `from` and before `to`.
    std::optional<Header> next_header(std::uintmax_t from, std::uintmax_t to) {
        // A line starts after a line feed; `from` itself starts one only at the file's start.
        std::uintmax_t at = from == 0 ? 0 : from - 1;
        bool line_start = from == 0;
        while (at < to && at < size_) {
            const std::string_view bytes = read(at, probe);
            if (bytes.empty()) return std::nullopt;
            std::size_t i = 0;
            if (!line_start) {
                i = bytes.find('\n');
                if (i == std::string_view::npos) {
                    at += bytes.size();
                    continue;
                }
                ++i;
            }
            // `i` starts a line; each line feed in the bytes starts another.
            while (i < bytes.size() && at + i < to) {
                if (bytes[i] == '[') return header_at(at + i);
                const std::size_t end = bytes.find('\n', i);
                if (end == std::string_view::npos) break;
                i = end + 1;
            }
            line_start = bytes.back() == '\n';
            at += bytes.size();
        }
        return std::nullopt;
    }

  private:
    static constexpr std::size_t block = 4 << 10;
    static constexpr std::size_t probe = 1 << 10;

    // A header is one line: '[', the path with its escapes, ']'.
    Header header_at(std::uintmax_t at) {
        std::string_view line = read(at, probe);
        if (line.find('\n') == std::string_view::npos) line = read(at, std::size_t{64} << 10);
        std::size_t pos = 1;
        const auto path = read_registry_string(line.substr(0, line.find('\n')), pos, ']');
        return Header{at, path ? split_path(*path) : std::vector<std::string>{}};
    }

    int fd_;
    std::uintmax_t size_;
    std::uintmax_t start_ = 0;
    std::string block_;
};

bool mentions_vendor(std::string_view bytes) {
    std::string lower_case(bytes);
    std::transform(lower_case.begin(), lower_case.end(), lower_case.begin(), lower);
    return lower_case.find(vendor_keys[0][1]) != std::string::npos;
}

bool names_any_game(const std::vector<std::string>& path) {
    return std::any_of(std::begin(vendor_keys), std::end(vendor_keys),
                       [&](const auto& vendor) { return names_game(path, first_key(vendor)); });
}

struct Bisection {
    bool ordered = true;                      // the headers read were in Wine's order
    std::optional<RegistryFile::Header> hit;  // the first of the games' keys below the vendor
};

// The first of the games' keys below `first`'s vendor, found by halving the span it must lie in.
Bisection bisect(RegistryFile& file, const std::vector<std::string_view>& first) {
    std::uintmax_t lo = 0;
    std::uintmax_t hi = file.size();
    while (hi - lo > span) {
        const std::uintmax_t mid = lo + (hi - lo) / 2;
        const auto header = file.next_header(mid, hi);
        if (header && compare_paths(header->path, first) < 0)
            lo = header->at + 1;
        else
            hi = header ? header->at : mid;
    }
    // The headers left, in order, up to the first at or after the games' keys.
    std::vector<std::string> previous;
    for (auto header = file.next_header(lo, file.size()); header;
         header = file.next_header(header->at + 1, file.size())) {
        const std::vector<std::string_view> last(previous.begin(), previous.end());
        if (!previous.empty() && compare_paths(header->path, last) < 0) return {false, {}};
        if (compare_paths(header->path, first) >= 0) {
            if (names_game(header->path, first)) return {true, std::move(header)};
            return {};
        }
        previous = std::move(header->path);
    }
    return {};
}

// The blocks (header and values) of the games' keys from `header` on: those that follow it
// without a break, or with `all` every one to the end of the file.
std::string games_blocks(RegistryFile& file, std::optional<RegistryFile::Header> header, bool all) {
    std::string out;
    while (header) {
        auto next = file.next_header(header->at + 1, file.size());
        if (names_any_game(header->path))
            out += file.read(header->at, (next ? next->at : file.size()) - header->at);
        else if (!all)
            break;
        header = std::move(next);
    }
    return out;
}

}  // namespace

std::optional<std::string> games_registry_text(const fs::path& registry_file) {
    // Non-blocking, so that opening a FIFO cannot hang; it is refused below anyway.
    const int fd = ::open(registry_file.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return std::nullopt;
    std::optional<std::string> out;
    struct stat st;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
        static_cast<std::uintmax_t>(st.st_size) <= max_registry) {
        RegistryFile file(fd, static_cast<std::uintmax_t>(st.st_size));
        const std::string top(file.read(0, 25));
        const auto first = file.next_header(0, file.size());
        if (first && (top.substr(0, 24) == "WINE REGISTRY Version 2\n" ||
                      top == "WINE REGISTRY Version 2\r\n")) {
            std::string keys;
            bool ordered = true;
            for (const auto& vendor : vendor_keys) {
                Bisection found = bisect(file, first_key(vendor));
                ordered = ordered && found.ordered;
                if (found.hit) keys += games_blocks(file, std::move(found.hit), false);
            }
            // A file out of order is searched whole; in order, its last keys still are, where a
            // key added to the file by hand would be (when the vendor's name is there at all).
            const std::uintmax_t rest = ordered ? file.size() - std::min(file.size(), span) : 0;
            if (keys.empty() && (!ordered || mentions_vendor(file.read(rest, span))))
                keys = games_blocks(file, file.next_header(rest, file.size()), true);
            // The lines before the first key say which prefix it is (#arch).
            if (!keys.empty()) out = std::string(file.read(0, first->at)) + keys;
        }
    }
    ::close(fd);
    return out;
}

std::vector<ProtonPrefix> proton_prefixes_with_games(const std::vector<std::string>& libraries) {
    std::vector<ProtonPrefix> out;
    std::set<fs::path> seen;
    for (const std::string& library : libraries) {
        const fs::path compatdata = fs::path(library) / "steamapps" / "compatdata";
        for (const std::string& name : sorted_names(compatdata)) {
            // A link loop or a dangling link has no real path and is passed over.
            const auto prefix = real_path(compatdata / name / "pfx");
            if (!prefix || !seen.insert(*prefix).second) continue;
            if (auto text = games_registry_text(*prefix / "system.reg"))
                out.push_back(ProtonPrefix{*prefix, std::move(*text)});
        }
    }
    return out;
}

}  // namespace pakscour::posix
