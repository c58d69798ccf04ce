// The Linux program's command line: game folders to use ahead of every other place, --help and
// --version, and the toolkit's own options (-platform offscreen, -style fusion, ...), which are
// passed on to it. Anything else that starts with "-" is an error; "--" ends the options.
#pragma once

#include <string>
#include <vector>

namespace pakscour::posix {

struct CommandLine {
    enum class Action { run, help, version, error };
    Action action = Action::run;
    std::vector<std::string> folders;
    std::vector<std::string> toolkit_options;  // in order, each option followed by its value
    std::string error;                         // one line, for Action::error
};

// `args` are the arguments after the program's name.
CommandLine parse_command_line(const std::vector<std::string>& args);

// The text --help prints, and the line --version prints.
std::string usage_text();
std::string version_line();

}  // namespace pakscour::posix
