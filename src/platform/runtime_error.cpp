#include "platform/runtime_error.h"

namespace pakscour {

std::string error_description(std::int32_t number) {
    switch (number) {
        case err::invalid_call:
            return "Invalid procedure call or argument";
        case err::out_of_memory:
            return "Out of memory";
        case err::subscript_out_of_range:
            return "Subscript out of range";
        case err::file_not_found:
            return "File not found";
        case err::device_io:
            return "Device I/O error";
        case err::file_exists:
            return "File already exists";
        case err::disk_full:
            return "Disk full";
        case err::permission_denied:
            return "Permission denied";
        case err::path_file_access:
            return "Path/File access error";
        case err::path_not_found:
            return "Path not found";
        default:
            return "Application-defined or object-defined error";
    }
}

void raise_error(std::int32_t number, const std::string& /*item*/) {
    throw RuntimeError{number, error_description(number), {}};
}

}  // namespace pakscour
