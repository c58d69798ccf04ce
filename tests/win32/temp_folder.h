// A fresh folder under the Windows temporary folder, removed with its contents afterwards, and
// small helpers to fill it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace pakscour::test {

class TempFolder {
  public:
    TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder();

    // The folder's path in UTF-8, without a trailing backslash.
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

  private:
    std::string path_;
};

void write_file(const std::string& path, const std::string& content);
std::string read_file(const std::string& path);
bool exists(const std::string& path);
// The plain files of a folder, hidden ones included, sorted by name.
std::vector<std::string> files_in(const std::string& folder);
void make_folder(const std::string& path);
// Makes the folder and every missing folder above it.
void make_folders(const std::string& path);
// Removes a folder with everything in it, read-only files included.
void remove_tree(const std::string& path);
void set_attributes(const std::string& path, DWORD attributes);
// The file's attributes, INVALID_FILE_ATTRIBUTES when it does not exist.
DWORD attributes(const std::string& path);

// Under Wine: the host's path of a Windows path, "" elsewhere.
std::string host_path(const std::string& path);
// Under Wine: puts at `link` a host symbolic link to the folder `target`, as another program of
// the player's might (Wine shows it as a reparse point, as Windows shows a junction); a folder
// there is moved aside to `link`.replaced first. False where that cannot be done.
bool host_link(const std::string& link, const std::string& target);

}  // namespace pakscour::test
