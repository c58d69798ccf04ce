// File-system operations over Windows path texts ("C:\Games\CoD\Main\*.pk3"). Failures raise
// RuntimeError with the classic numbers of runtime_error.h.
#pragma once

#include <string>

namespace pakscour {

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // Starts an enumeration of a folder with a wildcard file pattern and returns the first
    // matching name, or "" when there is none (a missing folder is no error). Names are bare
    // file names; only plain files that are neither hidden nor system are returned. Starting
    // a new enumeration abandons the previous one.
    virtual std::string find_first(const std::string& pattern) = 0;
    // The next name of the current enumeration, or "" when there are no more.
    virtual std::string find_next() = 0;

    // Creates one folder level; the parent must exist and the folder must not.
    virtual void create_folder(const std::string& path) = 0;
    // Copies a file to a new path, which must not exist. When this returns, the copy is
    // complete and durable: its size equals the source's and it and its folder entry are on
    // disk.
    virtual void copy_file(const std::string& from, const std::string& to) = 0;
    // Deletes a file.
    virtual void delete_file(const std::string& path) = 0;
};

}  // namespace pakscour
