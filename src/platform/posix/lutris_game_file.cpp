#include "platform/posix/lutris_game_file.h"

namespace pakscour::posix {
namespace {

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

// A YAML scalar as Lutris writes one: 'single' ('' is a quote), "double" (with \" and \\), or
// plain up to a " #" comment.
std::optional<std::string> scalar(std::string_view v) {
    if (v.empty()) return std::nullopt;
    std::string out;
    if (v.front() == '\'') {
        for (std::size_t i = 1; i < v.size(); ++i) {
            if (v[i] != '\'') {
                out += v[i];
            } else if (i + 1 < v.size() && v[i + 1] == '\'') {
                out += '\'';
                ++i;
            } else {
                return out;
            }
        }
        return std::nullopt;
    }
    if (v.front() == '"') {
        for (std::size_t i = 1; i < v.size(); ++i) {
            if (v[i] == '"') return out;
            if (v[i] == '\\' && i + 1 < v.size()) ++i;
            out += v[i];
        }
        return std::nullopt;
    }
    if (const auto hash = v.find(" #"); hash != std::string_view::npos) v = trim(v.substr(0, hash));
    return std::string(v);
}

}  // namespace

std::optional<std::string> lutris_prefix(std::string_view yaml, const std::string& home) {
    std::size_t pos = 0;
    while (pos < yaml.size()) {
        auto eol = yaml.find('\n', pos);
        if (eol == std::string_view::npos) eol = yaml.size();
        const std::string_view line = trim(yaml.substr(pos, eol - pos));
        pos = eol + 1;
        if (line.substr(0, 7) != "prefix:") continue;
        auto value = scalar(trim(line.substr(7)));
        if (!value) return std::nullopt;
        if (*value == "~" || value->rfind("~/", 0) == 0) value = home + value->substr(1);
        if (value->empty() || value->front() != '/') return std::nullopt;
        return value;
    }
    return std::nullopt;
}

}  // namespace pakscour::posix
