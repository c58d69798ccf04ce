// Moving a file's bytes from one open file into another, the fastest way the host allows.
#pragma once

namespace pakscour::posix {

// Copies all of `in` into the empty `out`: a shared-extent clone where the file system can,
// else an in-kernel copy, else read and write. 0 or the errno of the failure.
int copy_data(int in, int out);

}  // namespace pakscour::posix
