#include "engine/move_files.h"

#include "platform/runtime_error.h"

namespace pakscour {
namespace {

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
            else if (fs.copy_file(source, target) == Copied::moved)
                ++result.copied;
            else
                ++result.in_both;
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
