// The Linux program's command line, read as GNU programs read theirs: game folders to use ahead
// of every other place, -h/--help and --version, and Qt's own options (-platform offscreen,
// -style fusion, ...), which are passed on to it in the forms Qt takes them. Anything else that
// starts with "-" is an error; "--" ends the options.
#pragma once

#include <optional>
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

// What the program prints and the status it exits with when it answers without starting:
// --help and --version on standard output (status 0), an error on standard error (status 2).
struct Answer {
    int status = 0;
    std::string out;
    std::string err;
};

// The answer for `line`; nothing when the program is to run.
std::optional<Answer> answer(const CommandLine& line);

// The text --help prints, and the lines --version prints.
std::string usage_text();
std::string version_text_lines();

}  // namespace pakscour::posix
