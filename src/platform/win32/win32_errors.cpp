#include "platform/win32/win32_errors.h"

#include "platform/runtime_error.h"

namespace pakscour::win32 {

std::int32_t classic_error_number(std::uint32_t win32_error) {
    switch (win32_error) {
        case 2:
            return err::file_not_found;  // ERROR_FILE_NOT_FOUND
        case 3:
            return err::path_not_found;  // ERROR_PATH_NOT_FOUND
        case 5:
            return err::permission_denied;  // ERROR_ACCESS_DENIED
        case 8:                             // ERROR_NOT_ENOUGH_MEMORY
        case 14:
            return err::out_of_memory;  // ERROR_OUTOFMEMORY
        case 80:                        // ERROR_FILE_EXISTS
        case 183:
            return err::file_exists;  // ERROR_ALREADY_EXISTS
        case 39:                      // ERROR_HANDLE_DISK_FULL
        case 112:
            return err::disk_full;  // ERROR_DISK_FULL
        case 23:                    // ERROR_CRC
        case 27:                    // ERROR_SECTOR_NOT_FOUND
        case 29:                    // ERROR_WRITE_FAULT
        case 30:                    // ERROR_READ_FAULT
        case 31:                    // ERROR_GEN_FAILURE
        case 1117:                  // ERROR_IO_DEVICE
            return err::device_io;
        case 32:  // ERROR_SHARING_VIOLATION
        case 33:
            return err::path_file_access;  // ERROR_LOCK_VIOLATION
        default:
            return err::path_file_access;
    }
}

void raise_win32_error(std::uint32_t win32_error, const std::string& /*path*/) {
    raise_error(classic_error_number(win32_error));
}

}  // namespace pakscour::win32
