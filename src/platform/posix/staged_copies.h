// The copies a PosixFileSystem has staged and not yet committed, each whole in a hidden
// temporary file beside its target. Committing flushes their data with one call per folder
// (a flush of that folder's whole file system), names them in order without replacing
// anything, then flushes their folders: no copy takes its name before its data is on disk.
#pragma once

#include <cstddef>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "platform/posix/fd.h"
#include "platform/runtime_error.h"

namespace pakscour::posix {

class StagedCopies {
  public:
    StagedCopies() = default;
    // Removes the temporary files of copies never committed.
    ~StagedCopies();
    StagedCopies(const StagedCopies&) = delete;
    StagedCopies& operator=(const StagedCopies&) = delete;

    // Opens `folder` the first time a copy of this batch goes there, before anything is
    // written into it, so that the flush at commit reports every write error its file system
    // met since then. Sets `index` for the calls below; returns 0 or the errno of the failure.
    int watch(const std::filesystem::path& folder, std::size_t& index);
    // Creates a new hidden file in a watched folder and sets `temp` to its name there; the
    // open file, or an invalid one with errno set.
    Fd create_temp(std::size_t folder, std::string& temp);
    // Removes a hidden file that create_temp made and that is not to be added.
    void remove_temp(std::size_t folder, const std::string& temp);
    // Whether a clone of the data is still worth trying in a watched folder.
    bool& try_clone(std::size_t folder) { return folders_[folder].try_clone; }
    // Records a whole copy in the hidden file `temp` of a watched folder, which is to take the
    // name `name` there; `windows_target` names it in error reports.
    void add(std::size_t folder, std::string temp, std::string name, std::string windows_target);
    std::size_t size() const { return copies_.size(); }

    // Makes the copies durable and names them. Returns k: the first k copies bear their names
    // on disk, the others are removed and `failure` describes copy k. The batch is then over.
    std::size_t commit(RuntimeError& failure);

  private:
    struct Folder {
        std::string host;
        Fd fd;
        std::size_t first;  // the first copy that goes into it
        bool try_clone = true;
    };
    struct Copy {
        std::string temp;
        std::string name;
        std::string windows_target;
        std::size_t folder;
    };
    void clear();

    std::vector<Folder> folders_;
    std::vector<Copy> copies_;
    std::minstd_rand random_{std::random_device{}()};
};

}  // namespace pakscour::posix
