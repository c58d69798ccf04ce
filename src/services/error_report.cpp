#include "services/error_report.h"

#include <cstdlib>

#include "services/version.h"

namespace pakscour {

std::string number_text(std::int32_t number) {
    return (number < 0 ? "" : " ") + std::to_string(number);
}

std::string error_report_text(const std::string& name, const std::string& number,
                              const std::string& description) {
    return "An error has occurred in " + name + "\r\n\r\nError number: " + number +
           "\r\nError description: " + description;
}

std::string error_report_title() {
    return std::string("Error in ") + app_title + " V" + version_text();
}

void show_error(Context& ctx, const std::string& name, const std::string& number,
                const std::string& description) {
    ctx.p.app.set_busy_pointer(false);
    ctx.p.app.message_box(error_report_text(name, number, description), error_report_title());
    ctx.p.app.end_program(1);
    // end_program never returns; should a faulty platform return, do not go on regardless.
    std::abort();
}

}  // namespace pakscour
