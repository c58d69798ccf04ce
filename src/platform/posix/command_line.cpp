#include "platform/posix/command_line.h"

#include <string_view>

#include "services/version.h"

namespace pakscour::posix {
namespace {

// Qt's own options that take a value, as the next argument; those of them that also take it
// joined by "=" ("-style=fusion"), as Qt documents them; and its flags.
constexpr std::string_view toolkit_with_value[] = {
    "platform",      "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
    "qwindowicon",   "qwindowtitle",       "session",       "style",  "stylesheet",
    "display",       "geometry",           "name",          "title",  "visual",
    "qmljsdebugger", "fontengine"};
constexpr std::string_view toolkit_with_joined_value[] = {"style", "stylesheet", "qmljsdebugger"};
constexpr std::string_view toolkit_flags[] = {"reverse", "widgetcount", "nograb",
                                              "dograb",  "sync",        "testability"};

template <std::size_t N>
bool one_of(std::string_view name, const std::string_view (&names)[N]) {
    for (std::string_view known : names)
        if (name == known) return true;
    return false;
}

// The error for an option that is neither ours nor Qt's, worded as GNU getopt words it.
std::string unknown_option(const std::string& arg) {
    if (arg.size() == 2 && arg[0] == '-')
        return "pakscour: invalid option -- '" + arg.substr(1) + "'";
    return "pakscour: unrecognized option '" + arg + "'";
}

}  // namespace

CommandLine parse_command_line(const std::vector<std::string>& args) {
    CommandLine out;
    bool options = true;
    auto fail = [&](std::string error) {
        // As with GNU programs, whichever comes first of an error, --help and --version
        // decides.
        if (out.action != CommandLine::Action::run) return;
        out.action = CommandLine::Action::error;
        out.error = std::move(error);
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!options || arg.size() < 2 || arg[0] != '-') {
            out.folders.push_back(arg);
            continue;
        }
        if (arg == "--") {
            options = false;
        } else if (arg == "--help" || arg == "-h") {
            if (out.action == CommandLine::Action::run) out.action = CommandLine::Action::help;
        } else if (arg == "--version") {
            if (out.action == CommandLine::Action::run) out.action = CommandLine::Action::version;
        } else {
            std::string_view name(arg);
            name.remove_prefix(name.substr(0, 2) == "--" ? 2 : 1);
            const auto equals = name.find('=');
            const bool joined = equals != std::string_view::npos;
            const std::string_view bare = name.substr(0, equals);
            if (one_of(bare, toolkit_flags)) {
                if (joined)
                    fail("pakscour: option '" + arg.substr(0, arg.find('=')) +
                         "' doesn't allow an argument");
                else
                    out.toolkit_options.push_back(arg);
            } else if (one_of(bare, toolkit_with_joined_value) && joined) {
                out.toolkit_options.push_back(arg);
            } else if (one_of(bare, toolkit_with_value) && !joined) {
                if (i + 1 < args.size()) {
                    out.toolkit_options.push_back(arg);
                    out.toolkit_options.push_back(args[++i]);
                } else {
                    fail("pakscour: option '" + arg + "' requires an argument");
                }
            } else {
                fail(unknown_option(arg));
            }
        }
    }
    return out;
}

std::optional<Answer> answer(const CommandLine& line) {
    switch (line.action) {
        case CommandLine::Action::help:
            return Answer{0, usage_text(), ""};
        case CommandLine::Action::version:
            return Answer{0, version_text_lines(), ""};
        case CommandLine::Action::error:
            return Answer{2, "", line.error + "\nTry 'pakscour --help' for more information.\n"};
        case CommandLine::Action::run:
            break;
    }
    return std::nullopt;
}

std::string usage_text() {
    return "Usage: pakscour [OPTION]... [FOLDER]...\n"
           "Lists the extra .pk3 and .iwd archives in the content folders of Call of Duty,\n"
           "Call of Duty United Offensive and Call of Duty 2, and moves them into a dated\n"
           "backup folder.\n"
           "\n"
           "  FOLDER...      game folders to use ahead of every other place: a folder holds\n"
           "                 a game when it holds Main/pak0.pk3 (Call of Duty),\n"
           "                 uo/pakuo00.pk3 (United Offensive) or main/iw_00.iwd\n"
           "                 (Call of Duty 2), in any upper and lower case\n"
           "  -h, --help     display this help and exit\n"
           "      --version  output version information and exit\n"
           "\n"
           "Qt's own options, such as -platform NAME, -style NAME and -reverse, are passed\n"
           "on to Qt.\n"
           "\n"
           "Games no FOLDER holds are looked up in the Wine prefix WINEPREFIX names; when\n"
           "WINEPREFIX is unset, in ~/.wine, then in the Steam libraries and the Proton,\n"
           "Lutris and Bottles prefixes, then in the Steam snap's libraries, the prefixes\n"
           "of the Lutris Flatpak, the Proton prefixes of games added to Steam from outside\n"
           "its store, and the prefixes Heroic Games Launcher names, in that order.\n";
}

std::string version_text_lines() {
    return std::string(app_title) + " " + version_text() +
           "\n"
           "Copyright (C) 2026 The Pakscour authors\n"
           "License: MIT\n";
}

}  // namespace pakscour::posix
