// The Linux command line: game folders, the toolkit's options, --help and --version, and the
// answers to a line that cannot be used.
#include <doctest/doctest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/posix/command_line.h"
#include "services/version.h"

using namespace pakscour;
using posix::CommandLine;
using posix::parse_command_line;

namespace {

// The arguments as a shell would take them back: each in single quotes.
std::string shown(const std::vector<std::string>& args) {
    std::string text;
    for (const std::string& arg : args) text += (text.empty() ? "'" : " '") + arg + "'";
    return text;
}

}  // namespace

TEST_CASE("the Linux command line") {
    struct Case {
        std::vector<std::string> args;
        CommandLine::Action action;
        std::vector<std::string> folders;
        std::vector<std::string> toolkit;
    };
    const Case cases[] = {
        {{}, CommandLine::Action::run, {}, {}},
        {{"/g/cod", "rel dir"}, CommandLine::Action::run, {"/g/cod", "rel dir"}, {}},
        {{"--help", "/g"}, CommandLine::Action::help, {"/g"}, {}},
        {{"-h", "--frobnicate"}, CommandLine::Action::help, {}, {}},
        {{"/g", "--version"}, CommandLine::Action::version, {"/g"}, {}},
        {{"-platform", "offscreen", "/g", "--style=fusion", "-reverse", "-qwindowtitle", "T"},
         CommandLine::Action::run,
         {"/g"},
         {"-platform", "offscreen", "--style=fusion", "-reverse", "-qwindowtitle", "T"}},
        {{"--", "--help", "-"}, CommandLine::Action::run, {"--help", "-"}, {}},
    };
    for (const Case& c : cases) {
        CAPTURE(shown(c.args));
        const CommandLine line = parse_command_line(c.args);
        CHECK(line.action == c.action);
        CHECK(line.folders == c.folders);
        CHECK(line.toolkit_options == c.toolkit);
        const auto answer = posix::answer(line);
        CHECK(answer.has_value() == (c.action != CommandLine::Action::run));
        if (answer) CHECK((answer->status == 0 && !answer->out.empty() && answer->err.empty()));
    }
    // Errors: the reason, then the hint, on standard error; status 2. Qt takes "name=value"
    // only for some of its options.
    const std::pair<std::vector<std::string>, std::string> errors[] = {
        {{"--frobnicate", "--help"}, "unrecognized option '--frobnicate'"},
        {{"-x"}, "invalid option -- 'x'"},
        {{"-platform"}, "option '-platform' requires an argument"},
        {{"-platform=offscreen"}, "unrecognized option '-platform=offscreen'"},
        {{"--reverse=yes"}, "option '--reverse' doesn't allow an argument"},
    };
    for (const auto& [args, reason] : errors) {
        CAPTURE(shown(args));
        const auto answer = posix::answer(parse_command_line(args));
        REQUIRE(answer.has_value());
        CHECK((answer->status == 2 && answer->out.empty()));
        CHECK(answer->err ==
              "pakscour: " + reason + "\nTry 'pakscour --help' for more information.\n");
    }
    // Plain ASCII in lines of at most 79 columns, -h beside --help; the version as GNU has it.
    const std::string help = posix::usage_text();
    CHECK(std::all_of(help.begin(), help.end(), [](char ch) { return ch > 0 && ch < 127; }));
    std::size_t start = 0;
    for (std::size_t end; (end = help.find('\n', start)) != std::string::npos; start = end + 1)
        CHECK(end - start <= 79);
    CHECK(help.find("-h, --help") != std::string::npos);
    CHECK(posix::version_text_lines().ends_with(
        " " + version_text() + "\nCopyright (C) 2026 The Pakscour authors\nLicense: MIT\n"));
}
