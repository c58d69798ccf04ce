#include "platform/posix/wine_registry_parser.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/posix/wine_registry_string.h"
#include "platform/posix/wine_registry_text.h"

namespace pakscour::posix {

namespace {

constexpr std::string_view registry_header = "WINE REGISTRY Version 2";
constexpr std::uint32_t reg_binary = 3;
constexpr std::uint32_t reg_dword = 4;

// The file's lines without their LF or CR LF ending; one line can be handed back to be read
// again, for a continuation that turns out not to be one.
class Lines {
  public:
    explicit Lines(std::string_view text) : text_(text) {}
    std::optional<std::string_view> next() {
        if (held_) {
            held_ = false;
            return last_;
        }
        if (done_) return std::nullopt;
        const std::size_t end = text_.find('\n', pos_);
        if (end == std::string_view::npos) {
            last_ = text_.substr(pos_);
            done_ = true;
        } else {
            last_ = text_.substr(pos_, end - pos_);
            pos_ = end + 1;
            if (pos_ == text_.size()) done_ = true;
        }
        if (!last_.empty() && last_.back() == '\r') last_.remove_suffix(1);
        return last_;
    }
    void hand_back() { held_ = true; }

  private:
    std::string_view text_;
    std::string_view last_;
    std::size_t pos_ = 0;
    bool done_ = false;
    bool held_ = false;
};

bool is_blank(char ch) {
    return ch == ' ' || ch == '\t';
}

void skip_blanks(std::string_view line, std::size_t& pos) {
    while (pos < line.size() && is_blank(line[pos])) ++pos;
}

bool only_blanks_from(std::string_view line, std::size_t pos) {
    skip_blanks(line, pos);
    return pos == line.size();
}

int hex_digit(char ch) {
    if (ch >= '0' && ch <= '9') return ch - '0';
    if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
    if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
    return -1;
}

bool consume(std::string_view line, std::size_t& pos, std::string_view word) {
    if (line.substr(pos, word.size()) != word) return false;
    pos += word.size();
    return true;
}

// 1 to `max_digits` hex digits; more, or none, is malformed.
std::optional<std::uint32_t> read_hex_number(std::string_view line, std::size_t& pos,
                                             std::size_t max_digits) {
    std::uint32_t value = 0;
    std::size_t digits = 0;
    while (pos < line.size() && hex_digit(line[pos]) >= 0) {
        if (++digits > max_digits) return std::nullopt;
        value = value * 16 + static_cast<std::uint32_t>(hex_digit(line[pos++]));
    }
    if (digits == 0) return std::nullopt;
    return value;
}

// A comma-separated byte list, continued over lines that end with a backslash. A line that
// should continue the list but does not start with a hex digit is handed back unread.
std::optional<std::vector<std::uint8_t>> read_hex_bytes(std::string_view line, std::size_t pos,
                                                        Lines& lines) {
    std::vector<std::uint8_t> bytes;
    for (;;) {
        skip_blanks(line, pos);
        while (pos < line.size() && hex_digit(line[pos]) >= 0) {
            unsigned value = 0;
            while (pos < line.size() && hex_digit(line[pos]) >= 0) {
                value = value * 16 + static_cast<unsigned>(hex_digit(line[pos++]));
                if (value > 0xFF) return std::nullopt;
            }
            bytes.push_back(static_cast<std::uint8_t>(value));
            skip_blanks(line, pos);
            if (pos < line.size() && line[pos] == ',') ++pos;
            skip_blanks(line, pos);
        }
        if (pos == line.size()) return bytes;
        if (line[pos] != '\\' || !only_blanks_from(line, pos + 1)) return std::nullopt;
        const auto continued = lines.next();
        if (!continued) return std::nullopt;
        line = *continued;
        pos = 0;
        skip_blanks(line, pos);
        if (pos == line.size() || hex_digit(line[pos]) < 0) {
            lines.hand_back();
            return std::nullopt;
        }
    }
}

bool is_string_type(std::uint32_t type) {
    return type == 1 || type == 2 || type == 7;
}

std::vector<std::uint8_t> string_data(const std::string& text) {
    std::vector<std::uint8_t> data(text.begin(), text.end());
    data.push_back(0);
    return data;
}

// The data after "name=": a string, str(N):"…", dword:…, hex:… or hex(N):….
std::optional<WineValue> read_data(std::string_view line, std::size_t pos, Lines& lines) {
    WineValue value;
    if (consume(line, pos, "\"")) {
        const auto text = read_registry_string(line, pos, '"');
        if (!text) return std::nullopt;
        value.type = 1;
        value.data = string_data(*text);
        return value;
    }
    if (consume(line, pos, "str(")) {
        const auto type = read_hex_number(line, pos, 8);
        if (!type || !consume(line, pos, "):\"")) return std::nullopt;
        const auto text = read_registry_string(line, pos, '"');
        if (!text) return std::nullopt;
        value.type = *type;
        value.data = string_data(*text);
        return value;
    }
    if (consume(line, pos, "dword:")) {
        const auto number = read_hex_number(line, pos, 8);
        if (!number || !only_blanks_from(line, pos)) return std::nullopt;
        value.type = reg_dword;
        for (int shift = 0; shift < 32; shift += 8) {
            value.data.push_back(static_cast<std::uint8_t>(*number >> shift));
        }
        return value;
    }
    if (consume(line, pos, "hex:")) {
        value.type = reg_binary;
    } else if (consume(line, pos, "hex(")) {
        const auto type = read_hex_number(line, pos, 8);
        if (!type || !consume(line, pos, "):")) return std::nullopt;
        value.type = *type;
    } else {
        return std::nullopt;
    }
    auto bytes = read_hex_bytes(line, pos, lines);
    if (!bytes) return std::nullopt;
    if (is_string_type(value.type)) {
        const std::string text = utf16_to_utf8(utf16le_units(*bytes));
        value.data.assign(text.begin(), text.end());
    } else {
        value.data = std::move(*bytes);
    }
    return value;
}

// `@=…` or `"name"=…`, with blanks allowed around the `=`.
std::optional<WineValue> read_value(std::string_view line, std::size_t pos, Lines& lines) {
    std::string name;
    if (line[pos] == '@') {
        ++pos;
    } else {
        ++pos;
        auto quoted = read_registry_string(line, pos, '"');
        if (!quoted) return std::nullopt;
        name = std::move(*quoted);
    }
    skip_blanks(line, pos);
    if (!consume(line, pos, "=")) return std::nullopt;
    skip_blanks(line, pos);
    auto value = read_data(line, pos, lines);
    if (value) value->name = std::move(name);
    return value;
}

// `[path\\to\\key] timestamp`: the key, created with every missing parent.
std::optional<WineRegistryTree::KeyId> read_key_header(std::string_view line, std::size_t pos,
                                                       WineRegistryTree& tree) {
    ++pos;
    const auto path = read_registry_string(line, pos, ']');
    if (!path) return std::nullopt;
    WineRegistryTree::KeyId key = WineRegistryTree::root;
    std::size_t start = 0;
    while (start <= path->size()) {
        std::size_t end = path->find('\\', start);
        if (end == std::string::npos) end = path->size();
        if (end > start)
            key = tree.add_child(key, std::string_view(*path).substr(start, end - start));
        start = end + 1;
    }
    return key;
}

void read_directive(std::string_view line, std::size_t pos, WineRegistryTree& tree,
                    std::optional<WineRegistryTree::KeyId> key) {
    if (consume(line, pos, "#arch=")) {
        if (consume(line, pos, "win64") && only_blanks_from(line, pos))
            tree.set_win64(true);
        else if (consume(line, pos, "win32") && only_blanks_from(line, pos))
            tree.set_win64(false);
    } else if (consume(line, pos, "#link") && only_blanks_from(line, pos)) {
        if (key) tree.mark_link(*key);
    }
}

}  // namespace

WineRegistryTree parse_wine_registry(std::string_view text) {
    WineRegistryTree tree;
    Lines lines(text);
    const auto first = lines.next();
    if (!first || *first != registry_header) return tree;

    // Values belong to the key of the last header; after a malformed header they have none and
    // are dropped rather than given to the wrong key.
    std::optional<WineRegistryTree::KeyId> key;
    while (const auto next = lines.next()) {
        const std::string_view line = *next;
        std::size_t pos = 0;
        skip_blanks(line, pos);
        if (pos == line.size()) continue;
        switch (line[pos]) {
            case '[':
                key = read_key_header(line, pos, tree);
                break;
            case '@':
            case '"':
                if (auto value = read_value(line, pos, lines); value && key) {
                    tree.set_value(*key, std::move(*value));
                }
                break;
            case '#':
                read_directive(line, pos, tree, key);
                break;
            default:  // comments (;) and malformed lines
                break;
        }
    }
    return tree;
}

}  // namespace pakscour::posix
