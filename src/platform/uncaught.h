// The report of a run-time error that no trapped procedure caught: renderers call it at the
// toolkit boundary, so no exception ever crosses into toolkit code.
#pragma once

#include <cstdlib>
#include <exception>
#include <new>
#include <string>

#include "platform/app_services.h"
#include "platform/runtime_error.h"

namespace pakscour {

// "Run-time error 'N':", an empty line and the description.
inline std::string uncaught_report_text(const RuntimeError& e) {
    return "Run-time error '" + std::to_string(e.number) + "':\r\n\r\n" + e.description;
}

// Runs one event procedure; an error escaping it is reported and ends the program.
template <class Handler>
void run_event(AppServices& app, Handler&& handler) {
    RuntimeError e;
    try {
        handler();
        return;
    } catch (const RuntimeError& r) {
        e = r;
    } catch (const std::bad_alloc&) {
        e = RuntimeError{err::out_of_memory, error_description(err::out_of_memory), {}};
    } catch (const std::exception& x) {
        e = RuntimeError{err::invalid_call, x.what(), {}};
    }
    app.set_busy_pointer(false);
    app.message_box(uncaught_report_text(e), app.exe_name());
    app.end_program(1);
    std::abort();
}

}  // namespace pakscour
