// A program over the real Linux platform in a temporary Wine prefix made by the test: drive C:
// is <prefix>/drive_c, the registry is the system.reg the test writes, and the folders and
// archives are real files.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "main_window.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_registry_store.h"
#include "platform/posix/wine_prefix.h"
#include "test_platform.h"
#include "ui/program.h"

namespace pakscour::test {

namespace fs = std::filesystem;

class TempPrefix {
  public:
    TempPrefix() {
        std::string tmpl = (fs::temp_directory_path() / "pakscour-test-XXXXXX").string();
        if (mkdtemp(tmpl.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        root_ = tmpl;
        fs::create_directories(root_ / "drive_c");
        fs::create_directories(root_ / "dosdevices");
        fs::create_directory_symlink("../drive_c", root_ / "dosdevices" / "c:");
    }
    ~TempPrefix() {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }
    TempPrefix(const TempPrefix&) = delete;
    TempPrefix& operator=(const TempPrefix&) = delete;

    const fs::path& root() const { return root_; }
    fs::path c(const std::string& rel) const { return root_ / "drive_c" / rel; }

    // Writes system.reg with the given body after the header line.
    void write_system_reg(const std::string& body) const {
        std::ofstream(root_ / "system.reg") << "WINE REGISTRY Version 2\n;; All keys relative to "
                                               "\\\\Machine\n\n"
                                            << body;
    }
    // Creates a file with the given content, and its folders.
    void file(const std::string& rel, const std::string& content = "data") const {
        const fs::path p = c(rel);
        fs::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << content;
    }

  private:
    fs::path root_;
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
    explicit PrefixRig(TempPrefix& p)
        : prefix(p),
          wine(p.root()),
          fs(wine),
          registry(p.root()),
          program(Platform{fs, registry, shell, clock, app, forms}),
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
