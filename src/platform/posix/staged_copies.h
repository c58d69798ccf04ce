// The copies a PosixFileSystem has staged and not yet committed, each whole in a hidden
// temporary file beside its target. On a file system whose flush of the whole file system is
// known to reach storage, committing flushes their data with one call per folder; on any other
// (FUSE, network, unknown) each copy is flushed on its own as it is made. Then the commit names
// them in order without replacing anything and flushes their folders: no copy takes its name
// before its data is on disk.
#pragma once

#include <cstddef>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/posix/fd.h"
#include "platform/runtime_error.h"

namespace pakscour::posix {

// Gives `from` the name `to` in the open folder `dir` unless `to` exists there: 0, or EEXIST
// or the errno of the failure.
int rename_no_replace(int dir, const std::string& from, const std::string& to);

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
    // Hands a whole copy's data, still open in `out`, to storage now when the folder's file
    // system is not flushed as a whole at the commit: 0 or the errno of the failure.
    int flush_if_needed(std::size_t folder, int out) const;
    // Records a whole copy in the hidden file `temp` of a watched folder, which is to take the
    // name `name` there. `copy` tells where its original was read and who it was; its `copy`
    // place is filled in here, and `windows_copy` names it in error reports.
    void add(std::size_t folder, std::string temp, std::string name, CommittedCopy copy);
    std::size_t size() const { return copies_.size(); }

    // Makes the copies durable and names them. Returns the first k copies, which bear their
    // names on disk; the others are removed and `failure` describes copy k. The batch is then
    // over.
    std::vector<CommittedCopy> commit(RuntimeError& failure);

  private:
    struct Folder {
        std::string host;
        Fd fd;
        std::size_t first;  // the first copy that goes into it
        bool batch_flush;   // one flush of the file system reaches storage
        bool try_clone = true;
    };
    struct Copy {
        std::string temp;
        std::string name;
        std::size_t folder;
        CommittedCopy committed;
    };
    void clear();

    std::vector<Folder> folders_;
    std::vector<Copy> copies_;
    std::minstd_rand random_{std::random_device{}()};
};

}  // namespace pakscour::posix
