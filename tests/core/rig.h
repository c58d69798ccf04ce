// A program wired to test doubles at the platform boundary, for tests of the window
// procedures' logic that need no real folders: the directory listing answers from a table
// keyed by the wildcard pattern the scan asks for.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "clean_rig.h"
#include "platform/file_system.h"
#include "platform/runtime_error.h"

namespace pakscour::test {

class ListingFileSystem : public FileSystem {
  public:
    std::string find_first(const std::string& pattern) override {
        patterns.push_back(pattern);
        current_ = &listings[pattern];
        next_ = 0;
        return find_next();
    }
    std::string find_next() override {
        if (current_ == nullptr || next_ >= current_->size()) return {};
        return (*current_)[next_++];
    }
    std::string create_folder(const std::string& path) override {
        raise_error(err::invalid_call, path);
    }
    Moved move_file(const std::string& from, const std::string&) override {
        raise_error(err::invalid_call, from);
    }
    void flush_moves() override {}
    Copied copy_file(const std::string& from, const std::string&) override {
        raise_error(err::invalid_call, from);
    }
    bool remove_second_name(const std::string& path, const FileIdentity&) override {
        raise_error(err::invalid_call, path);
    }
    std::vector<FolderEntry> list_folder(const std::string& folder) override {
        return folders[folder];
    }
    std::string writable_folder(const std::string& folder) override { return folder; }
    bool remove_empty_folder(const std::string& folder) override {
        raise_error(err::invalid_call, folder);
    }
    // The answers of list_folder, by folder.
    std::map<std::string, std::vector<FolderEntry>> folders;

    std::map<std::string, std::vector<std::string>> listings;
    std::vector<std::string> patterns;

  private:
    std::vector<std::string>* current_ = nullptr;
    std::size_t next_ = 0;
};

// The listing file system, made before the program that uses it.
struct Listings {
    ListingFileSystem fs;
};

struct Rig : Listings, ProgramRig {
    Rig() : ProgramRig(fs) {}
    Context& ctx = program.context();
    forms::Form& main = ctx.frmMain;

    forms::Control& ctl(const std::string& name, int index = forms::no_index) {
        return main.ctl(name, index);
    }
    int ticked() {
        return ctl("chkCleanCod").value() + ctl("chkCleanUo").value() + ctl("chkCleanCod2").value();
    }
};

}  // namespace pakscour::test
