// Fuzz target of the VDF reader and the Steam file readers built on it: any bytes as a VDF
// text. Besides crashes and sanitizer findings it traps on a broken promise: a tree that was
// read keeps within the limits and reads back the same when written out again; a manifest's
// folder is one plain name; the library search over the same text as every file stays within
// what the text names.
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "registry/steam_library.h"
#include "registry/vdf.h"

namespace {

using pakscour::VdfNode;
namespace limits = pakscour::vdf_limits;

void expect(bool holds) {
    if (!holds) __builtin_trap();
}

std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    return out + "\"";
}

void write(const VdfNode& block, std::string& out) {
    for (const VdfNode& entry : block.children) {
        out += quoted(entry.key);
        if (entry.block) {
            out += " {\n";
            write(entry, out);
            out += "}\n";
        } else {
            out += " " + quoted(entry.value) + "\n";
        }
    }
}

bool same(const VdfNode& a, const VdfNode& b) {
    if (a.key != b.key || a.value != b.value || a.block != b.block ||
        a.children.size() != b.children.size())
        return false;
    for (std::size_t i = 0; i < a.children.size(); ++i)
        if (!same(a.children[i], b.children[i])) return false;
    return true;
}

// Depth, token lengths and entry count of a tree; the walk is bounded by the limits it checks.
void check_limits(const VdfNode& block, std::size_t depth, std::size_t& entries) {
    expect(depth < limits::max_depth);
    for (const VdfNode& entry : block.children) {
        ++entries;
        expect(entry.key.size() <= limits::max_token && entry.value.size() <= limits::max_token);
        expect(entry.block || entry.children.empty());
        if (entry.block) {
            expect(entry.value.empty());
            check_limits(entry, depth + 1, entries);
        }
    }
}

// Every path names the fuzz input.
struct SameText : pakscour::TextFiles {
    explicit SameText(std::string_view text) : text(text) {}
    std::optional<std::string> read(const std::string&) override { return std::string(text); }
    std::string_view text;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (const auto root = pakscour::parse_vdf(text)) {
        expect(root->block && root->key.empty());
        std::size_t entries = 0;
        check_limits(*root, 0, entries);
        expect(entries <= limits::max_entries);
        std::string again;
        write(*root, again);
        const auto reread = pakscour::parse_vdf(again);
        expect(reread.has_value() && same(*root, *reread));
    }

    if (const auto dir = pakscour::manifest_install_dir(text)) {
        expect(!dir->empty() && *dir != "." && *dir != "..");
        expect(dir->find_first_of("/\\:") == std::string::npos);
    }
    for (const std::string& library : pakscour::library_folders(text)) expect(!library.empty());

    SameText files(text);
    for (const char separator : {'/', '\\'}) {
        const auto libraries = pakscour::steam_libraries(files, {"/steam", "C:\\Steam"}, separator);
        for (const std::string& library : libraries)
            expect(library.find('\0') == std::string::npos);
        if (const auto app = pakscour::find_steam_app(files, libraries, "2620", separator)) {
            const std::string common =
                std::string(1, separator) + "steamapps" + separator + "common" + separator;
            expect(app->folder.rfind(app->library + common, 0) == 0);
            expect(app->folder.size() > app->library.size() + common.size());
        }
    }
    return 0;
}
