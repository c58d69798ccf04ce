// A temporary HOME with no ~/.wine and no WINEPREFIX, set in the environment for the test's
// lifetime, and the program wired over the real Linux platform as main() wires it: the prefix
// in use, its registry and the game finder all come from that environment. Helpers build the
// places players keep games: Steam libraries, Wine prefixes for Lutris and Bottles, and files
// written by PyYAML and as Heroic writes JSON, as the launchers write them.
#pragma once

#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "fake_prefix.h"
#include "platform/posix/posix_game_finder.h"
#include "posix_rig.h"

namespace pakscour::test {

// Sets or unsets an environment variable until the end of the scope.
class EnvGuard {
  public:
    EnvGuard(const char* name, const std::optional<std::string>& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value)
            ::setenv(name, value->c_str(), 1);
        else
            ::unsetenv(name);
    }
    ~EnvGuard() {
        if (old_)
            ::setenv(name_, old_->c_str(), 1);
        else
            ::unsetenv(name_);
    }
    EnvGuard(const EnvGuard&) = delete;
    EnvGuard& operator=(const EnvGuard&) = delete;

  private:
    const char* name_;
    std::optional<std::string> old_;
};

inline void write_text(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

// A host path as the program names it: "Z:\tmp\...".
inline std::string z_path(const fs::path& host) {
    std::string text = "Z:" + host.string();
    for (char& ch : text)
        if (ch == '/') ch = '\\';
    return text;
}

// A game key as a 32-bit installer leaves it in system.reg (on a 64-bit prefix, below
// Wow6432Node).
inline std::string system_reg(const std::string& game, const std::string& install_path,
                              const std::string& version, bool win64 = false) {
    auto escape = [](const std::string& s) {
        std::string out;
        for (char ch : s) {
            if (ch == '\\' || ch == '"') out += '\\';
            out += ch;
        }
        return out;
    };
    return std::string("WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n") +
           (win64 ? "#arch=win64\n\n[Software\\\\Wow6432Node" : "[Software") +
           "\\\\Activision\\\\" + game + "] 1700000000\n\"InstallPath\"=\"" + escape(install_path) +
           "\"\n\"Version\"=\"" + escape(version) + "\"\n";
}

// A Wine prefix at `root` with drive C: and one game key; returns the host folder that the key's
// install folder (below C:) names, made with the game's content folder.
inline fs::path make_prefix(const fs::path& root, const std::string& game,
                            const std::string& below_c, const std::string& version,
                            bool win64 = false) {
    fs::create_directories(root / "dosdevices");
    fs::create_directories(root / "drive_c");
    fs::create_directory_symlink("../drive_c", root / "dosdevices" / "c:");
    std::string windows = "C:\\" + below_c;
    std::string host = below_c;
    for (char& ch : host)
        if (ch == '\\') ch = '/';
    while (!host.empty() && host.back() == '/') host.pop_back();
    write_text(root / "system.reg", system_reg(game, windows, version, win64));
    return root / "drive_c" / host;
}

// An app manifest in a Steam library and the app's folder under steamapps/common.
inline fs::path steam_app(const fs::path& library, const std::string& app_id,
                          const std::string& install_dir) {
    write_text(library / "steamapps" / ("appmanifest_" + app_id + ".acf"),
               "\"AppState\"\n{\n\t\"appid\"\t\t\"" + app_id + "\"\n\t\"name\"\t\t\"" +
                   install_dir + "\"\n\t\"installdir\"\t\t\"" + install_dir + "\"\n}\n");
    const fs::path folder = library / "steamapps" / "common" / install_dir;
    fs::create_directories(folder);
    return folder;
}

// The game's archives: a stock one and an alien one in its content folder.
inline void game_files(const fs::path& install, const std::string& content,
                       const std::string& stock, const std::string& alien) {
    write_text(install / content / stock, "stock");
    write_text(install / content / alien, "alien in " + install.string());
}

// Runs python3 on `script` with `path` and `json` (a JSON object) as its arguments.
inline void python_write(const char* script, const fs::path& path, const std::string& json) {
    fs::create_directories(path.parent_path());
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::execlp("python3", "python3", "-c", script, path.c_str(), json.c_str(), nullptr);
        ::_exit(127);
    }
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0)
        throw std::runtime_error("python3 (with python3-yaml) could not write " + path.string());
}

// Writes `json` to `path` as YAML the way Lutris and Bottles save their files: PyYAML's
// safe_dump in block style.
inline void pyyaml_dump(const fs::path& path, const std::string& json) {
    python_write(
        "import json, sys, yaml\n"
        "with open(sys.argv[1], 'w') as f:\n"
        "    yaml.safe_dump(json.loads(sys.argv[2]), f, default_flow_style=False)\n",
        path, json);
}

// Writes `json` to `path` as Heroic does, JSON.stringify(value, null, 2): an indent of two,
// other letters as they are, escapes only where JSON needs them.
inline void write_json(const fs::path& path, const std::string& json) {
    python_write(
        "import json, sys\n"
        "with open(sys.argv[1], 'w', encoding='utf-8') as f:\n"
        "    json.dump(json.loads(sys.argv[2]), f, indent=2, ensure_ascii=False)\n",
        path, json);
}

// `text` as a JSON string.
inline std::string json_string(const std::string& text) {
    std::string out = "\"";
    for (char ch : text) {
        if (ch == '"' || ch == '\\') out += '\\';
        out += ch;
    }
    return out + "\"";
}

class TempHome {
  public:
    TempHome()
        : home_env_("HOME", home_.root().string()), prefix_env_("WINEPREFIX", std::nullopt) {}
    const fs::path& root() const { return home_.root(); }
    fs::path operator/(const std::string& rel) const { return home_ / rel; }

  private:
    TempFolder home_;
    EnvGuard home_env_;
    EnvGuard prefix_env_;
};

struct HomeRig : PosixRig {
    // `named`: the folders given on the command line.
    explicit HomeRig(const std::vector<std::string>& named = {})
        : PosixRig(posix::WinePrefix::from_environment(), no_game_finder(),
                   [&named](const posix::WinePrefix& prefix) {
                       return posix::PosixGameFinder::from_environment(prefix, named);
                   }) {}
};

}  // namespace pakscour::test
