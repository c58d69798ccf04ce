// A FileSystem over the real one that fails one chosen operation (counting folder creations,
// moves, staged copies, commits and deletes of originals from 0) with one chosen kind of
// failure, and refuses every delete of the originals named in `refused`. With `copy_only` every
// move answers that the folders are on different file systems, so that each file is copied.
// "Target exists" is provoked for real by creating the target first (at a commit, the target
// of the batch's middle copy); the other kinds cannot be brought about safely on demand and
// are raised in place of the operation, which then does nothing. A commit that fails so leaves
// none of its batch named, as a failed flush would.
#pragma once

#include <sys/stat.h>

#include <fstream>
#include <functional>
#include <set>
#include <string>
#include <utility>
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
        if (due("create", path)) {
            if (kind_ != err::file_exists) fail(path);
            ::mkdir(prefix_.for_new(path)->c_str(), 0777);
            failed_item = path;
        }
        return real_.create_folder(path);
    }
    Moved move_file(const std::string& from, const std::string& to) override {
        if (due("move", from)) {
            if (kind_ != err::file_exists) fail(kind_ == err::disk_full ? to : from);
            take_name(to);
        }
        if (copy_only) return Moved::other_file_system;
        return real_.move_file(from, to);
    }
    void flush_moves() override { real_.flush_moves(); }
    std::uint64_t stage_copy(const std::string& from, const std::string& to) override {
        if (due("stage", from)) {
            if (kind_ != err::file_exists) fail(kind_ == err::disk_full ? to : from);
            take_name(to);
        }
        const std::uint64_t bytes = real_.stage_copy(from, to);
        staged_.push_back(to);
        return bytes;
    }
    std::vector<CommittedCopy> commit_copies(RuntimeError& failure) override {
        const std::vector<std::string> batch = std::exchange(staged_, {});
        const bool fault = due("commit", batch.empty() ? std::string() : batch.front());
        if (fault && kind_ == err::file_exists && !batch.empty())
            take_name(batch[batch.size() / 2]);
        std::vector<CommittedCopy> named = real_.commit_copies(failure);
        if (after_commit) after_commit();
        if (!fault || kind_ == err::file_exists || batch.empty()) return named;
        for (const CommittedCopy& c : named) real_.remove_copy(c);
        failed_item = batch.front();
        failure = RuntimeError{kind_, error_description(kind_), {}};
        return {};
    }
    bool delete_original(const CommittedCopy& copy) override {
        const std::string& path = copy.windows_source;
        if (due("delete", path)) fail(path);
        if (refused.count(path.substr(path.find_last_of('\\') + 1)) != 0) {
            failed_item = path;
            raise_error(err::permission_denied, path);
        }
        return real_.delete_original(copy);
    }
    bool remove_copy(const CommittedCopy& copy) override { return real_.remove_copy(copy); }
    void delete_file(const std::string& path) override { real_.delete_file(path); }

    // Every move answers that the file must be copied.
    bool copy_only = false;
    // The names of originals whose every delete is refused, as a game holding them open or a
    // folder the user may not change would.
    std::set<std::string> refused;
    // Runs after each commit, before any original of its batch is deleted.
    std::function<void()> after_commit;
    std::vector<FolderEntry> list_folder(const std::string& folder) override {
        return real_.list_folder(folder);
    }
    std::string writable_folder(const std::string& folder) override {
        return real_.writable_folder(folder);
    }
    bool remove_empty_folder(const std::string& folder) override {
        return real_.remove_empty_folder(folder);
    }

    // The operations in the order they were asked for: the operation's name, a blank and the
    // path it concerned (a commit names its batch's first target).
    std::vector<std::string> log;
    // The item the failing operation concerned, once it has failed.
    std::string failed_item;

  private:
    bool due(const char* op, const std::string& path) {
        log.push_back(std::string(op) + " " + path);
        return static_cast<int>(log.size()) - 1 == fail_at_;
    }
    [[noreturn]] void fail(const std::string& item) {
        failed_item = item;
        raise_error(kind_, item);
    }
    // Another program puts a file under the name a copy is about to take.
    void take_name(const std::string& to) {
        std::ofstream(*prefix_.for_new(to), std::ios::binary) << "not the backup";
        failed_item = to;
    }

    FileSystem& real_;
    const posix::WinePrefix& prefix_;
    int fail_at_;
    std::int32_t kind_;
    std::vector<std::string> staged_;
};

}  // namespace pakscour::test
