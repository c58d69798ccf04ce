// Moving a file's bytes from one open file into another, the fastest way the host allows.
#pragma once

namespace pakscour::posix {

// Copies all of `in` into the empty `out`: a shared-extent clone where the file system can,
// else an in-kernel copy, else read and write. 0 or the errno of the failure. A clone is tried
// only while `try_clone` is true; a file system that cannot clone sets it to false, so that
// the next copy onto it does not ask again.
int copy_data(int in, int out, bool& try_clone);

}  // namespace pakscour::posix
