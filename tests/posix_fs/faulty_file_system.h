// A FileSystem over the real one that fails one chosen operation (counting folder creations,
// copies and deletes from 0) with one chosen kind of failure. "Target exists" is provoked for
// real by creating the target first; the other kinds cannot be brought about safely on demand
// and are raised in place of the operation, which then does nothing.
#pragma once

#include <sys/stat.h>

#include <fstream>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/posix/wine_prefix.h"
#include "platform/runtime_error.h"

namespace pakscour::test {

class FaultyFileSystem : public FileSystem {
  public:
    FaultyFileSystem(FileSystem& real, const posix::WinePrefix& prefix, int fail_at,
                     std::int32_t kind)
        : real_(real), prefix_(prefix), fail_at_(fail_at), kind_(kind) {}

    std::string find_first(const std::string& pattern) override {
        return real_.find_first(pattern);
    }
    std::string find_next() override { return real_.find_next(); }

    void create_folder(const std::string& path) override {
        if (due(path)) {
            if (kind_ != err::file_exists) raise_error(kind_, path);
            ::mkdir(prefix_.for_new(path)->c_str(), 0777);
        }
        real_.create_folder(path);
    }
    void copy_file(const std::string& from, const std::string& to) override {
        if (due(from)) {
            if (kind_ != err::file_exists) raise_error(kind_, kind_ == err::disk_full ? to : from);
            std::ofstream(*prefix_.for_new(to), std::ios::binary) << "not the backup";
        }
        real_.copy_file(from, to);
    }
    void delete_file(const std::string& path) override {
        if (due(path)) raise_error(kind_, path);
        real_.delete_file(path);
    }

    // The paths of the operations in the order they were asked for.
    std::vector<std::string> log;

  private:
    bool due(const std::string& path) {
        log.push_back(path);
        return static_cast<int>(log.size()) - 1 == fail_at_;
    }

    FileSystem& real_;
    const posix::WinePrefix& prefix_;
    int fail_at_;
    std::int32_t kind_;
};

}  // namespace pakscour::test
