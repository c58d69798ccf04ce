#include "engine/move_files.h"

#include <optional>
#include <vector>

#include "platform/runtime_error.h"

namespace pakscour {
namespace {

// Takes back the copies of files whose originals stay where they are. A copy that cannot be
// removed stays beside its original, which loses nothing either.
void take_back(FileSystem& fs, const std::vector<CommittedCopy>& copies, std::size_t from) {
    for (std::size_t i = from; i < copies.size(); ++i) {
        try {
            fs.remove_copy(copies[i]);
        } catch (const RuntimeError&) {
        }
    }
}

}  // namespace

MoveResult move_files(FileSystem& fs, const std::string& from, const std::string& to,
                      std::span<const std::string> names, const MoveBatch& batch) {
    MoveResult result;
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
        const std::vector<CommittedCopy> copies = fs.commit_copies(commit_failure);
        if (begin + copies.size() < end) failure = commit_failure;
        for (std::size_t i = 0; i < copies.size(); ++i) {
            try {
                if (!fs.delete_original(copies[i])) ++result.originals_changed;
                ++result.copied;
            } catch (const RuntimeError&) {
                // This file and the batch's later ones stay where they were, each in one
                // place: their originals are all still there, so removing the copies loses
                // nothing, and a clean tried again makes no second copy of them.
                take_back(fs, copies, i);
                throw;
            }
        }
        if (failure) throw *failure;
        begin = end;
    }
    return result;
}

}  // namespace pakscour
