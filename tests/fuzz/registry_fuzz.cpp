// Fuzz target of the Wine registry reader: any bytes as a registry file, read into a tree and
// looked up through the store as the value reader does. Besides crashes and sanitizer
// findings it traps on a broken promise of the store: a key that exists without links must
// open, its values must read back exactly, data that does not fit must leave the buffer
// untouched, and bytes after the data must keep their contents.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/posix/posix_registry_store.h"
#include "platform/posix/wine_registry_parser.h"

namespace {

using pakscour::RegHandle;
using pakscour::posix::PosixRegistryStore;
using pakscour::posix::WineRegistryTree;
namespace reg = pakscour::reg;

constexpr RegHandle hkcr = 0x80000000u;
constexpr RegHandle hkcu = 0x80000001u;
constexpr RegHandle hklm = 0x80000002u;
constexpr std::uint8_t fill = 0xA5;

void expect(bool holds) {
    if (!holds) __builtin_trap();
}

// Reads a value through the store with a buffer of 255 bytes, then one byte too small for
// its data. A value the tree holds must be found; `expected` is its data when known.
void check_value(PosixRegistryStore& store, RegHandle key, const std::string& name, bool must_exist,
                 const std::vector<std::uint8_t>* expected) {
    std::uint32_t type = reg::reg_sz;
    std::uint32_t size = 255;
    std::vector<std::uint8_t> buffer(size, fill);
    const std::int32_t status = store.query_value(key, name, type, buffer, size);
    if (status == reg::file_not_found && !must_exist) return;
    expect(status == reg::success || status == reg::more_data);
    if (status == reg::more_data) {
        expect(size > 255);
        for (std::uint8_t byte : buffer) expect(byte == fill);
        return;
    }
    expect(size <= 255);
    for (std::size_t i = size; i < buffer.size(); ++i) expect(buffer[i] == fill);
    if (expected != nullptr) {
        expect(size == expected->size());
        for (std::size_t i = 0; i < size; ++i) expect(buffer[i] == (*expected)[i]);
    }
    if (size == 0) return;
    std::uint32_t smaller = size - 1;
    std::vector<std::uint8_t> tight(smaller, fill);
    expect(store.query_value(key, name, type, tight, smaller) == reg::more_data);
    for (std::uint8_t byte : tight) expect(byte == fill);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const WineRegistryTree tree = pakscour::posix::parse_wine_registry(text);
    PosixRegistryStore store(pakscour::posix::parse_wine_registry(text),
                             pakscour::posix::parse_wine_registry(text));

    // Walk the first keys of the tree breadth first, with their paths and whether a link
    // stands on the way.
    struct Pending {
        WineRegistryTree::KeyId id;
        std::string path;
        bool via_link;
    };
    std::deque<Pending> queue{{WineRegistryTree::root, "", tree.is_link(WineRegistryTree::root)}};
    int visited = 0;
    while (!queue.empty() && visited++ < 48) {
        const Pending at = std::move(queue.front());
        queue.pop_front();
        for (WineRegistryTree::KeyId child : tree.children(at.id)) {
            std::string path =
                at.path.empty() ? tree.name(child) : at.path + "\\" + tree.name(child);
            queue.push_back({child, std::move(path), at.via_link || tree.is_link(child)});
        }
        RegHandle key = 0;
        const std::int32_t status = store.open_key(hklm, at.path, reg::key_read, key);
        expect(status == reg::success || status == reg::file_not_found);
        if (!at.via_link) expect(status == reg::success);
        if (status != reg::success) continue;
        expect(key != 0);
        const bool exact = !at.via_link && !tree.win64();
        int values = 0;
        for (const auto* value : tree.values(at.id)) {
            if (values++ == 8) break;
            check_value(store, key, value->name, exact, exact ? &value->data : nullptr);
        }
        std::uint32_t type = 0;
        std::uint32_t none = 0;
        std::vector<std::uint8_t> empty;
        const std::int32_t missing =
            store.query_value(key, std::string("\x01missing", 8), type, empty, none);
        expect(missing == reg::file_not_found || missing == reg::more_data ||
               missing == reg::success);
        expect(store.close_key(key) == reg::success);
        expect(store.close_key(key) == reg::invalid_handle);
    }

    // The lookups of the program itself, and the other roots.
    const std::pair<RegHandle, const char*> lookups[] = {
        {hklm, "Software\\Activision\\Call of Duty"},
        {hklm, "SOFTWARE\\activision\\call of duty 2"},
        {hkcu, "Software"},
        {hkcr, ""},
        {hkcr, "CLSID"},
    };
    for (const auto& [root, path] : lookups) {
        RegHandle key = 0;
        const std::int32_t status = store.open_key(root, path, reg::key_read, key);
        expect(status == reg::success || status == reg::file_not_found);
        if (status != reg::success) continue;
        check_value(store, key, "InstallPath", false, nullptr);
        check_value(store, key, "", false, nullptr);
        expect(store.close_key(key) == reg::success);
    }
    return 0;
}
