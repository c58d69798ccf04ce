#include "platform/posix/command_line.h"

#include <string_view>

#include "services/version.h"

namespace pakscour::posix {
namespace {

// The options the toolkit itself takes from the command line: those with a value, and flags.
constexpr std::string_view toolkit_with_value[] = {
    "platform",      "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
    "qwindowicon",   "qwindowtitle",       "session",       "style",  "stylesheet",
    "display",       "geometry",           "name",          "title",  "visual",
    "qmljsdebugger", "fontengine"};
constexpr std::string_view toolkit_flags[] = {"reverse", "widgetcount", "nograb",
                                              "dograb",  "sync",        "testability"};

template <std::size_t N>
bool one_of(std::string_view name, const std::string_view (&names)[N]) {
    for (std::string_view known : names)
        if (name == known) return true;
    return false;
}

}  // namespace

CommandLine parse_command_line(const std::vector<std::string>& args) {
    CommandLine out;
    bool options = true;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!options || arg.size() < 2 || arg[0] != '-') {
            out.folders.push_back(arg);
            continue;
        }
        if (arg == "--") {
            options = false;
        } else if (arg == "--help" || arg == "-h") {
            // The first of --help and --version wins; an error found earlier still counts.
            if (out.action == CommandLine::Action::run) out.action = CommandLine::Action::help;
        } else if (arg == "--version") {
            if (out.action == CommandLine::Action::run) out.action = CommandLine::Action::version;
        } else {
            std::string_view name(arg);
            name.remove_prefix(name.substr(0, 2) == "--" ? 2 : 1);
            const auto equals = name.find('=');
            const std::string_view bare = name.substr(0, equals);
            if (one_of(bare, toolkit_flags) && equals == std::string_view::npos) {
                out.toolkit_options.push_back(arg);
            } else if (one_of(bare, toolkit_with_value) && equals != std::string_view::npos) {
                out.toolkit_options.push_back(arg);
            } else if (one_of(bare, toolkit_with_value) && i + 1 < args.size()) {
                out.toolkit_options.push_back(arg);
                out.toolkit_options.push_back(args[++i]);
            } else if (out.action == CommandLine::Action::run) {
                out.action = CommandLine::Action::error;
                out.error = one_of(bare, toolkit_with_value)
                                ? "pakscour: option '" + arg + "' needs a value"
                                : "pakscour: unknown option '" + arg + "' (try 'pakscour --help')";
            }
        }
    }
    return out;
}

std::string usage_text() {
    return "Usage: pakscour [FOLDER…]\n"
           "Lists the extra .pk3 and .iwd archives in the content folders of Call of Duty,\n"
           "Call of Duty United Offensive and Call of Duty 2, and moves them into a dated\n"
           "backup folder.\n"
           "\n"
           "  FOLDER…     game folders to use ahead of every other place: a folder holds a\n"
           "              game when it holds Main/pak0.pk3 (Call of Duty), uo/pakuo00.pk3\n"
           "              (United Offensive) or main/iw_00.iwd (Call of Duty 2), in any case\n"
           "  --help      show this help and exit\n"
           "  --version   show the version and exit\n"
           "\n"
           "Games no FOLDER holds are looked up in the Wine prefix WINEPREFIX names; when\n"
           "WINEPREFIX is unset, in ~/.wine, then in the Steam libraries and the Proton, Lutris\n"
           "and Bottles prefixes.\n";
}

std::string version_line() {
    return std::string(app_title) + " " + version_text() + "\n";
}

}  // namespace pakscour::posix
