#include "platform/posix/wine_registry_string.h"

#include "platform/posix/wine_registry_text.h"

namespace pakscour::posix {

namespace {

int hex_digit(char ch) {
    if (ch >= '0' && ch <= '9') return ch - '0';
    if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
    if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
    return -1;
}

// The control character of a C-style escape letter, or -1.
int control_escape(char letter) {
    constexpr std::string_view letters = "abtnvfre";
    constexpr char codes[] = {7, 8, 9, 10, 11, 12, 13, 27};
    const std::size_t at = letters.find(letter);
    return at == std::string_view::npos ? -1 : codes[at];
}

// The escape after a backslash, at `line[pos]`, as UTF-16 code units.
void read_escape(std::string_view line, std::size_t& pos, std::u16string& out) {
    const char ch = line[pos];
    if (const int control = control_escape(ch); control >= 0) {
        out += static_cast<char16_t>(control);
        ++pos;
    } else if (ch >= '0' && ch <= '7') {
        char16_t code = 0;
        for (int i = 0; i < 3 && pos < line.size() && line[pos] >= '0' && line[pos] <= '7'; ++i) {
            code = static_cast<char16_t>(code * 8 + (line[pos++] - '0'));
        }
        out += code;
    } else if (ch == 'x' && pos + 1 < line.size() && hex_digit(line[pos + 1]) >= 0) {
        ++pos;
        char16_t code = 0;
        for (int i = 0; i < 4 && pos < line.size() && hex_digit(line[pos]) >= 0; ++i) {
            code = static_cast<char16_t>(code * 16 + hex_digit(line[pos++]));
        }
        out += code;
    } else {
        append_utf16(out, decode_utf8(line, pos));
    }
}

}  // namespace

std::optional<std::string> read_registry_string(std::string_view line, std::size_t& pos,
                                                char terminator) {
    std::u16string units;
    while (pos < line.size()) {
        const char ch = line[pos];
        if (ch == terminator) {
            ++pos;
            return utf16_to_utf8(units);
        }
        if (ch == '\\') {
            if (++pos == line.size()) return std::nullopt;
            read_escape(line, pos, units);
        } else {
            append_utf16(units, decode_utf8(line, pos));
        }
    }
    return std::nullopt;
}

}  // namespace pakscour::posix
