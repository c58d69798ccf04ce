// Windows path texts of the games' content folders, built from the install folders that the
// main window's hidden path labels hold.
#pragma once

#include <string>

namespace pakscour {

// Joins a folder text and a relative part with exactly one backslash between them.
std::string join_path(const std::string& folder, const std::string& rest);

// ASCII lower-casing, as the stock comparison uses it.
std::string ascii_lower(std::string text);

}  // namespace pakscour
