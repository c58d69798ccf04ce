// Hands things to the desktop shell: the status line's tooltip while a backup folder exists,
// running a shell verb on a file or folder with the shell's failure codes turned into run-time
// errors, opening a web address, and the internet connection test.
#pragma once

#include <cstdint>
#include <string>

#include "engine/context.h"

namespace pakscour {

inline constexpr const char* statusbar_tooltip =
    "Click here to open Windows Explorer and view the files";

// Gives lblStatusBar its tooltip while `backup_made` is set, and removes it otherwise.
void set_statusbar(Context& ctx);

// Runs `verb` on `file`. Returns true when the shell accepted the request; a failure never
// raises: it fills the current run-time error and returns false.
bool shell_open(Context& ctx, const std::string& file, std::int32_t show_command,
                const std::string& parameters, const std::string& directory,
                const std::string& verb, std::uintptr_t owner);

// The run-time error number and message of a shell failure code 0..32.
struct ShellFailure {
    std::int32_t number;
    const char* message;
};
ShellFailure shell_failure(std::int32_t result);

// Hands an address to the shell's default action.
void open_url(Context& ctx, const std::string& address);

bool is_connected(Context& ctx);

}  // namespace pakscour
