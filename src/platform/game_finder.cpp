#include "platform/game_finder.h"

namespace pakscour {

bool GameFinder::same_folder(const std::string& a, const std::string& b) {
    // The text without its final backslashes, in ASCII lower case.
    auto key = [](std::string text) {
        while (!text.empty() && text.back() == '\\') text.pop_back();
        for (char& c : text)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        return text;
    };
    return !a.empty() && key(a) == key(b);
}

}  // namespace pakscour
