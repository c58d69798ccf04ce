// A program over the real Linux platform in a temporary Wine prefix made by the test: drive C:
// is <prefix>/drive_c, the registry is the system.reg the test writes, and the folders and
// archives are real files.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "fake_prefix.h"
#include "main_window.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_registry_store.h"
#include "platform/posix/wine_prefix.h"
#include "test_platform.h"
#include "ui/program.h"

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

struct PrefixRig {
    explicit PrefixRig(TempPrefix& p, GameFinder& games = no_game_finder())
        : prefix(p),
          wine(p.root()),
          fs(wine),
          registry(p.root()),
          program(Platform{fs, registry, shell, clock, app, forms, games}),
          ctx(program.context()),
          main(ctx.frmMain) {}

    TempPrefix& prefix;
    posix::WinePrefix wine;
    posix::PosixFileSystem fs;
    posix::PosixRegistryStore registry;
    RecordingApp app;
    RecordingShell shell;
    FixedClock clock;
    forms::Application forms;
    Program program;
    Context& ctx;
    forms::Form& main;

    forms::Control& ctl(const std::string& name, int index = forms::no_index) {
        return main.ctl(name, index);
    }
};

}  // namespace pakscour::test
