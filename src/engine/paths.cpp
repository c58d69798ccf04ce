#include "engine/paths.h"

namespace pakscour {

std::string join_path(const std::string& folder, const std::string& rest) {
    std::string tail = rest;
    while (!tail.empty() && tail.front() == '\\') tail.erase(0, 1);
    if (!folder.empty() && folder.back() == '\\') return folder + tail;
    return folder + "\\" + tail;
}

std::string ascii_lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

}  // namespace pakscour
