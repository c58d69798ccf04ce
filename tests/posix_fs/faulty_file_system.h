// A FileSystem over the real one that fails one chosen operation (counting folder creations,
// staged copies and deletes from 0) with one chosen kind of failure. "Target exists" is provoked
// for real by creating the target first; the other kinds cannot be brought about safely on demand
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

    std::string create_folder(const std::string& path) override {
        if (due(path)) {
            if (kind_ != err::file_exists) fail(path);
            ::mkdir(prefix_.for_new(path)->c_str(), 0777);
            failed_item = path;
        }
        return real_.create_folder(path);
    }
    std::uint64_t stage_copy(const std::string& from, const std::string& to) override {
        if (due(from)) {
            if (kind_ != err::file_exists) fail(kind_ == err::disk_full ? to : from);
            std::ofstream(*prefix_.for_new(to), std::ios::binary) << "not the backup";
            failed_item = to;
        }
        return real_.stage_copy(from, to);
    }
    std::size_t commit_copies(RuntimeError& failure) override {
        return real_.commit_copies(failure);
    }
    void delete_file(const std::string& path) override {
        if (due(path)) fail(path);
        real_.delete_file(path);
    }

    // The paths of the operations in the order they were asked for.
    std::vector<std::string> log;
    // The item the failing operation concerned, once it has failed.
    std::string failed_item;

  private:
    bool due(const std::string& path) {
        log.push_back(path);
        return static_cast<int>(log.size()) - 1 == fail_at_;
    }
    [[noreturn]] void fail(const std::string& item) {
        failed_item = item;
        raise_error(kind_, item);
    }

    FileSystem& real_;
    const posix::WinePrefix& prefix_;
    int fail_at_;
    std::int32_t kind_;
};

}  // namespace pakscour::test
