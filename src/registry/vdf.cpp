#include "registry/vdf.h"

namespace pakscour {
namespace {

enum class TokenKind { text, open, close, end, error };

struct Token {
    TokenKind kind = TokenKind::end;
    std::string text;
};

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool is_space(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

class Lexer {
  public:
    explicit Lexer(std::string_view text) : text_(text) {
        if (text_.substr(0, 3) == "\xEF\xBB\xBF") pos_ = 3;
    }

    Token next() {
        skip_blanks_and_comments();
        if (pos_ >= text_.size()) return {TokenKind::end, {}};
        const char c = text_[pos_];
        if (c == '{') {
            ++pos_;
            return {TokenKind::open, {}};
        }
        if (c == '}') {
            ++pos_;
            return {TokenKind::close, {}};
        }
        return c == '"' ? quoted() : bare();
    }

  private:
    void skip_blanks_and_comments() {
        while (pos_ < text_.size()) {
            if (is_space(text_[pos_])) {
                ++pos_;
            } else if (text_.substr(pos_, 2) == "//") {
                const auto eol = text_.find('\n', pos_);
                pos_ = eol == std::string_view::npos ? text_.size() : eol + 1;
            } else {
                return;
            }
        }
    }

    Token quoted() {
        Token t{TokenKind::text, {}};
        ++pos_;
        while (pos_ < text_.size()) {
            char c = text_[pos_++];
            if (c == '"') return t;
            if (c == '\\' && pos_ < text_.size()) {
                const char e = text_[pos_];
                if (e == '\\' || e == '"' || e == 'n' || e == 't') {
                    ++pos_;
                    c = e == 'n' ? '\n' : e == 't' ? '\t' : e;
                }
            }
            if (t.text.size() == vdf_limits::max_token) return {TokenKind::error, {}};
            t.text += c;
        }
        return {TokenKind::error, {}};  // no closing quote
    }

    Token bare() {
        Token t{TokenKind::text, {}};
        while (pos_ < text_.size()) {
            const char c = text_[pos_];
            if (is_space(c) || c == '{' || c == '}' || c == '"') break;
            if (t.text.size() == vdf_limits::max_token) return {TokenKind::error, {}};
            t.text += c;
            ++pos_;
        }
        return t;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

class Parser {
  public:
    explicit Parser(std::string_view text) : lexer_(text) {}

    // Reads entries into `block` until its closing brace (or the end of the text at the top
    // level). The recursion is bounded by max_depth.
    bool entries(VdfNode& block, std::size_t depth) {
        for (;;) {
            Token key = lexer_.next();
            if (key.kind == TokenKind::end) return depth == 0;
            if (key.kind == TokenKind::close) return depth > 0;
            if (key.kind != TokenKind::text) return false;
            if (++count_ > vdf_limits::max_entries) return false;
            Token after = lexer_.next();
            VdfNode node;
            node.key = std::move(key.text);
            if (after.kind == TokenKind::text) {
                node.value = std::move(after.text);
            } else if (after.kind == TokenKind::open) {
                if (depth + 1 >= vdf_limits::max_depth) return false;
                node.block = true;
                if (!entries(node, depth + 1)) return false;
            } else {
                return false;
            }
            block.children.push_back(std::move(node));
        }
    }

  private:
    Lexer lexer_;
    std::size_t count_ = 0;
};

}  // namespace

bool vdf_key_equal(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

const VdfNode* VdfNode::find(std::string_view name) const {
    for (const VdfNode& child : children)
        if (vdf_key_equal(child.key, name)) return &child;
    return nullptr;
}

std::optional<VdfNode> parse_vdf(std::string_view text) {
    if (text.size() > vdf_limits::max_size) return std::nullopt;
    VdfNode root;
    root.block = true;
    Parser parser(text);
    if (!parser.entries(root, 0)) return std::nullopt;
    return root;
}

}  // namespace pakscour
