#include "engine/move_files.h"

#include "platform/runtime_error.h"

namespace pakscour {
namespace {

// Moves one file by a copy: the copy is durable and named before its original is deleted. A
// refused delete whose original is back under its name takes the copy back (only while it is
// still that copy) and raises; every other way the file is in one place at least.
void copy_then_delete(FileSystem& fs, const std::string& from, const std::string& to,
                      MoveResult& result) {
    fs.stage_copy(from, to);
    RuntimeError failure;
    const std::vector<CommittedCopy> copies = fs.commit_copies(failure);
    if (copies.empty()) throw failure;
    try {
        if (fs.delete_original(copies.front()))
            ++result.copied;
        else
            ++result.in_both;
    } catch (const RuntimeError&) {
        // The original is still there: removing the copy loses nothing, and a clean tried
        // again makes no second copy of it. A copy that cannot be taken back stays beside it.
        try {
            fs.remove_copy(copies.front());
        } catch (const RuntimeError&) {
        }
        throw;
    }
}

// Flushes the renames made so far, for a move that stops with a failure of its own: that
// failure is the one reported.
void flush_quietly(FileSystem& fs) {
    try {
        fs.flush_moves();
    } catch (const RuntimeError&) {
    }
}

}  // namespace

MoveResult move_files(FileSystem& fs, const std::string& from, const std::string& to,
                      std::span<const std::string> names, bool keep_taken) {
    MoveResult result;
    for (const std::string& name : names) {
        const std::string source = from + name;
        const std::string target = to + "\\" + name;
        try {
            if (fs.move_file(source, target) == Moved::renamed)
                ++result.renamed;
            else
                copy_then_delete(fs, source, target, result);
        } catch (const RuntimeError& e) {
            if (keep_taken && e.number == err::file_exists) {
                ++result.taken;
                continue;
            }
            flush_quietly(fs);
            throw;
        }
    }
    fs.flush_moves();
    return result;
}

}  // namespace pakscour
