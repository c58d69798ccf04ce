#include "platform/posix/fs_errors.h"

#include <cerrno>

#include "platform/runtime_error.h"

namespace pakscour::posix {

std::int32_t error_number(int errno_value, std::int32_t not_found) {
    switch (errno_value) {
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return err::disk_full;
        case EACCES:
        case EPERM:
        case EROFS:
            return err::permission_denied;
        case EIO:
            return err::device_io;
        case EEXIST:
            return err::file_exists;
        case ENOENT:
            return not_found;
        case ENOTDIR:
            return err::path_not_found;
        case ENOMEM:
            return err::out_of_memory;
        default:
            return err::path_file_access;
    }
}

RuntimeError errno_error(int errno_value, const std::string& /*windows_path*/,
                         std::int32_t not_found) {
    const std::int32_t number = error_number(errno_value, not_found);
    return RuntimeError{number, error_description(number), {}};
}

void raise_errno(int errno_value, const std::string& windows_path, std::int32_t not_found) {
    throw errno_error(errno_value, windows_path, not_found);
}

}  // namespace pakscour::posix
