// Crash-safe copies in batches. Each copy is written into a hidden temporary file in its
// target's folder; a commit then makes the whole batch durable (flushing several files at once),
// gives each copy its final name without replacing anything, and flushes the folders that
// received names. A file therefore bears its final name only once it is whole and on disk, even
// when the program is killed at any moment.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/runtime_error.h"

namespace pakscour::win32 {

class StagedCopies {
  public:
    StagedCopies() = default;
    StagedCopies(const StagedCopies&) = delete;
    StagedCopies& operator=(const StagedCopies&) = delete;
    // Removes the copies staged and not committed.
    ~StagedCopies();

    // Copies `source` into a hidden temporary file in the folder of `target` and checks that
    // the copy is as long as the source, recording who the source was as it was read (volume
    // serial, file ID, size, last-write time). `source` and `target` are ordinary paths, used
    // in their extended-length form; `from` and `to` name the two in errors. A missing
    // source raises 53 (76 when its folder is missing), a missing target folder 76; a failed
    // copy leaves nothing behind. Returns the number of bytes copied. A target that exists is
    // found by the commit, which stops at that copy (58).
    std::uint64_t stage(const std::wstring& source, const std::wstring& target,
                        const std::string& from, const std::string& to);

    // Gives each staged copy the source's attributes (read-only included) and times, flushes
    // it, records who it is (CommittedCopy::named), and names it, in the order staged. Returns the
    // copies that now bear their final names; the others are removed and `failure` describes the
    // first of them. Out of memory, it flushes on the calling thread alone, or names none and fails
    // with 7: it never ends the program and leaves no handle or hidden copy behind.
    std::vector<CommittedCopy> commit(RuntimeError& failure);

  private:
    struct Copy {
        void* file;           // the temporary file, open for writing
        std::wstring temp;    // its extended-length path
        std::wstring target;  // the final path, extended-length
        std::wstring folder;  // the folder of both, extended-length
        std::uint32_t attributes;
        std::int64_t times[3];  // creation, last access, last write (FILETIME values)
        CommittedCopy named;    // what the commit hands back once the copy bears its name
    };

    void discard(Copy& copy);
    // Flushes each copy with its final attributes and times, several at a time where threads
    // can be had; the Win32 error of each, 0 where it succeeded.
    static void finish(std::vector<Copy>& batch, std::vector<unsigned long>& errors);

    std::vector<Copy> copies_;
    std::vector<char> buffer_;
    unsigned serial_ = 0;
};

// How many copies a commit flushes at a time: the text of PAKSCOUR_FLUSH_THREADS (1 to 64) or,
// where it is unset or not such a number, 8. With 1, the program's own thread flushes them one
// after the other and starts no other thread: 32-bit Wine under qemu user emulation, where the
// Windows tests may run, crashes in any thread a program starts.
std::size_t flushes_at_a_time(const char* setting);

// Flushes a folder's entries to disk, where the file system allows it. `folder` is an ordinary
// path or an extended-length one.
void flush_folder(const std::wstring& folder);

// Who the file open as `file` is: volume serial, file ID, size and last-write time. False when
// Windows cannot tell.
bool identity_of(void* file, FileIdentity& identity);

}  // namespace pakscour::win32
