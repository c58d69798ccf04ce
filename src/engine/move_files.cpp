#include "engine/move_files.h"

#include <optional>

#include "platform/runtime_error.h"

namespace pakscour {

void move_files(FileSystem& fs, const std::string& from, const std::string& to,
                std::span<const std::string> names, const MoveBatch& batch) {
    std::size_t begin = 0;
    while (begin < names.size()) {
        std::optional<RuntimeError> failure;
        std::size_t end = begin;
        // A batch holds at least one file, whatever its limits.
        for (std::uint64_t bytes = 0;
             end < names.size() &&
             (end == begin || (end - begin < batch.files && bytes < batch.bytes));
             ++end) {
            try {
                bytes += fs.stage_copy(from + names[end], to + "\\" + names[end]);
            } catch (const RuntimeError& e) {
                failure = e;
                break;
            }
        }
        RuntimeError commit_failure;
        if (const std::size_t named = fs.commit_copies(commit_failure); begin + named < end) {
            end = begin + named;
            failure = commit_failure;
        }
        for (std::size_t i = begin; i < end; ++i) {
            try {
                fs.delete_file(from + names[i]);
            } catch (const RuntimeError&) {
                // The later files of the batch go back to untouched: their originals are all
                // still there, so removing their copies loses nothing.
                for (std::size_t later = i + 1; later < end; ++later) {
                    try {
                        fs.delete_file(to + "\\" + names[later]);
                    } catch (const RuntimeError&) {
                        // Kept in both places, which loses nothing either.
                    }
                }
                throw;
            }
        }
        if (failure) throw *failure;
        begin = end;
    }
}

}  // namespace pakscour
