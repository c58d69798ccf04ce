// A FileSystem over the real one that fails one chosen operation (counting folder creations,
// moves and copies from 0) with one chosen kind of failure. With `copy_only` every move
// answers that the folders are on different file systems, so that each file is copied.
// "Target exists" is provoked for real by creating the target first; the other kinds cannot be
// brought about safely on demand and are raised in place of the operation, which then does
// nothing. `after` plays another program between one operation and the next.
#pragma once

#include <sys/stat.h>

#include <fstream>
#include <functional>
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
        if (due("create", path)) {
            if (kind_ != err::file_exists) fail(path);
            ::mkdir(prefix_.for_new(path)->c_str(), 0777);
            failed_item = path;
        }
        return done("create", real_.create_folder(path));
    }
    Moved move_file(const std::string& from, const std::string& to) override {
        fault("move", from, to);
        if (copy_only) return Moved::other_file_system;
        const Moved moved = real_.move_file(from, to);
        done("move", from);
        return moved;
    }
    Copied copy_file(const std::string& from, const std::string& to) override {
        fault("copy", from, to);
        const Copied copied = real_.copy_file(from, to);
        done("copy", from);
        return copied;
    }
    void flush_moves() override { real_.flush_moves(); }
    bool remove_second_name(const std::string& path, const FileIdentity& who) override {
        return real_.remove_second_name(path, who);
    }
    std::vector<FolderEntry> list_folder(const std::string& folder) override {
        return real_.list_folder(folder);
    }
    std::string writable_folder(const std::string& folder) override {
        return done("writable", real_.writable_folder(folder));
    }
    bool remove_empty_folder(const std::string& folder) override {
        return real_.remove_empty_folder(folder);
    }

    // Every move answers that the file must be copied.
    bool copy_only = false;
    // Runs after each operation that succeeded, with its name and the path it concerned.
    std::function<void(const std::string& op, const std::string& path)> after;

    // The operations in the order they were asked for: the operation's name, a blank and the
    // path it concerned.
    std::vector<std::string> log;
    // The item the failing operation concerned, once it has failed.
    std::string failed_item;

  private:
    bool due(const char* op, const std::string& path) {
        log.push_back(std::string(op) + " " + path);
        return static_cast<int>(log.size()) - 1 == fail_at_;
    }
    void fault(const char* op, const std::string& from, const std::string& to) {
        if (!due(op, from)) return;
        if (kind_ != err::file_exists) fail(kind_ == err::disk_full ? to : from);
        // Another program puts a file under the name the file is about to take.
        std::ofstream(*prefix_.for_new(to), std::ios::binary) << "not the backup";
        failed_item = to;
    }
    const std::string& done(const char* op, const std::string& path) {
        if (after) after(op, path);
        return path;
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
