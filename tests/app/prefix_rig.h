// A program over the real Linux platform in a temporary Wine prefix made by the test: drive C:
// is <prefix>/drive_c, the registry is the system.reg the test writes, and the folders and
// archives are real files.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "fake_prefix.h"
#include "posix_rig.h"

namespace pakscour::test {

// A temporary prefix whose registry the test writes.
class TempPrefix : public FakePrefix {
  public:
    // Writes system.reg with the given body after the header line.
    void write_system_reg(const std::string& body) const {
        std::ofstream(root() / "system.reg") << "WINE REGISTRY Version 2\n;; All keys relative to "
                                                "\\\\Machine\n\n"
                                             << body;
    }
};

// A game key with an install folder and a version, as a 32-bit installer leaves it.
inline std::string game_key(const std::string& game, const std::string& install_path,
                            const std::string& version = "1.5") {
    auto escape = [](std::string s) {
        std::string out;
        for (char ch : s) {
            if (ch == '\\' || ch == '"') out += '\\';
            out += ch;
        }
        return out;
    };
    return "[Software\\\\Activision\\\\" + game + "] 1700000000\n\"InstallPath\"=\"" +
           escape(install_path) + "\"\n\"Version\"=\"" + escape(version) + "\"\n\n";
}

struct PrefixRig : PosixRig {
    explicit PrefixRig(TempPrefix& p, GameFinder& games = no_game_finder())
        : PosixRig(posix::WinePrefix(p.root()), games) {}
};

}  // namespace pakscour::test
