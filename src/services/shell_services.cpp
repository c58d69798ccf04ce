#include "services/shell_services.h"

#include "engine/paths.h"
#include "services/error_report.h"

namespace pakscour {

void set_statusbar(Context& ctx) {
    trapped(ctx, "modPublic (set_statusbar)", [&] {
        ctx.frmMain.ctl("lblStatusBar").set_tooltip(ctx.state.backup_made ? statusbar_tooltip : "");
    });
}

ShellFailure shell_failure(std::int32_t result) {
    constexpr std::int32_t base = -2147220456;
    switch (result) {
        case 0:
            return {7, "Out of memory"};
        case 2:
            return {53, "File not found"};
        case 3:
            return {76, "Path not found"};
        case 5:
            return {75, "Path/file access error"};
        case 8:
            return {7, "Out of memory"};
        case 11:
            return {base + 11, "The executable file is invalid or corrupt"};
        case 26:
            return {75, "A sharing violation occurred."};
        case 27:
            return {base + 27, "This file type does not have a valid file association."};
        case 28:
            return {286,
                    "The file could not be opened due to time out. Please try again in a "
                    "moment."};
        case 29:
            return {285,
                    "The file could not be opened because the DDE transaction failed. Please "
                    "try again in a moment."};
        case 30:
            return {285,
                    "The file could not be opened because the target application is busy. "
                    "Please try again in a moment."};
        case 31:
            return {base + 31, "No application is associated with this file type."};
        case 32:
            return {48, "The specified dynamic-link library was not found."};
        default:
            return {base + result,
                    "An error occurred occurred whilst trying to open or print the selected "
                    "file."};
    }
}

bool shell_open(Context& ctx, const std::string& file, std::int32_t show_command,
                const std::string& parameters, const std::string& directory,
                const std::string& verb, std::uintptr_t owner) {
    // Programs are never started with a visible window of their own choosing.
    if (ascii_lower(file).find(".exe") != std::string::npos) show_command = 0;

    std::int32_t result = 0;
    try {
        if (parameters.empty() && directory.empty())
            result = ctx.p.shell.execute(owner, verb, file, std::string(), std::string(), 1);
        else
            result = ctx.p.shell.execute(owner, verb, file, parameters, directory, show_command);
    } catch (const RuntimeError& e) {
        ctx.err = e;
    }
    if (result < 0 || result > 32) return true;

    const ShellFailure failure = shell_failure(result);
    ctx.err = RuntimeError{failure.number, failure.message, ctx.p.app.exe_name() + ".GShell"};
    return false;
}

void open_url(Context& ctx, const std::string& address) {
    ctx.p.shell.execute(0, std::nullopt, address, std::nullopt, std::nullopt, 1);
}

bool is_connected(Context& ctx) {
    return ctx.p.shell.internet_connected();
}

}  // namespace pakscour
