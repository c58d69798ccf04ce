// The fatal error report and the error trap of the trapped procedures: a run-time error in a
// trapped body skips the rest of it and is reported in one message box, then the program ends.
#pragma once

#include <cstdint>
#include <new>
#include <stdexcept>
#include <string>

#include "engine/context.h"

namespace pakscour {

// The error number after a sign position: " 53", "-2147220456".
std::string number_text(std::int32_t number);

// Resets the mouse pointer, shows the report and ends the program; never returns.
[[noreturn]] void show_error(Context& ctx, const std::string& name, const std::string& number,
                             const std::string& description);

// The message of `show_error`, four lines joined by CR LF.
std::string error_report_text(const std::string& name, const std::string& number,
                              const std::string& description);
std::string error_report_title();

// Runs `body` under an error trap named `name` ("modPublic (get_alien_files)"): arming clears
// the current run-time error; an error raised in the body or in anything it calls without a
// trap of its own skips the rest of the body; the check then reports a pending error.
template <class Body>
void trapped(Context& ctx, const char* name, Body&& body) {
    ctx.err = RuntimeError{};
    try {
        body();
    } catch (const RuntimeError& e) {
        ctx.err = e;
    } catch (const std::bad_alloc&) {
        ctx.err = RuntimeError{err::out_of_memory, error_description(err::out_of_memory), {}};
    } catch (const std::exception& e) {
        ctx.err = RuntimeError{err::invalid_call, e.what(), {}};
    }
    if (ctx.err.number != 0)
        show_error(ctx, name, number_text(ctx.err.number), ctx.err.description);
}

}  // namespace pakscour
