// The product's title and version, as every window and report writes them.
#pragma once

#include <string>

namespace pakscour {

inline constexpr const char* app_title = "Pakscour";
inline constexpr int version_major = PAKSCOUR_VERSION_MAJOR;
inline constexpr int version_minor = PAKSCOUR_VERSION_MINOR;

// "2.1": both numbers as plain decimal integers joined by a point.
inline std::string version_text() {
    return std::to_string(version_major) + "." + std::to_string(version_minor);
}

}  // namespace pakscour
