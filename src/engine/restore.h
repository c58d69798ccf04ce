// Putting a backup folder back: finds a content folder's backup folders (named after the date
// and time of their clean, DDMMYYHHMMSS), describes them, and moves a backup's files back into
// the content folder as the clean moves them. Names already taken in the content folder stay in
// the backup; an emptied backup folder is removed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/move_files.h"
#include "platform/file_system.h"

namespace pakscour {

// The date and time a backup folder's name records.
struct BackupTime {
    int year;  // 2000 to 2099
    int month;
    int day;
    int hour;
    int minute;
    int second;
    auto operator<=>(const BackupTime&) const = default;
};

// The time a twelve-digit name DDMMYYHHMMSS records; nothing for any other name or for one
// that names no real date and time ("311126..." has no 31 November).
std::optional<BackupTime> backup_time(const std::string& name);
// "7 Dec 2026 14:05:09".
std::string backup_time_text(const BackupTime& t);
// "0 bytes", "512 bytes", "41.2 KB", "3.0 MB", "1.5 GB" (units of 1024).
std::string size_text(std::uint64_t bytes);

struct BackupFolder {
    std::string name;  // the twelve digits
    std::string path;  // where the folder is, without a final backslash
    BackupTime time;
    int files = 0;  // the plain files in it, which a restore moves
    std::uint64_t bytes = 0;
    // False when the folder could not be listed: its count and size are then unknown.
    bool readable = true;
};

// The backup folders in `content` (without a final backslash) and, on Windows, in its
// VirtualStore copy, newest first. One that cannot be listed is among them, marked unreadable.
std::vector<BackupFolder> find_backups(FileSystem& fs, const std::string& content);
// One line of the list: "7 Dec 2026 14:05:09  -  3 files, 41.2 MB", or for a folder that
// cannot be listed "7 Dec 2026 14:05:09  -  cannot be read".
std::string backup_entry_text(const BackupFolder& b);

struct RestoreResult {
    int moved = 0;
    // Files left in the backup because their names are taken in the content folder.
    int taken = 0;
    // Files copied back whose backup copy stayed too, changed by another program meanwhile.
    int in_both = 0;
    // Whether the backup folder is gone (it was emptied).
    bool removed = false;
    // The folder the files went into.
    std::string target;
};

// Moves the plain files of `backup` into `content` (without a final backslash), or where the
// games find new files of it (its VirtualStore copy where it may not be written). A name that
// the content folder already has, ignoring case (or that its file system folds when the file
// arrives), stays in the backup untouched. Then the backup folder is removed if nothing is left
// in it. Raises on a failure, with every file that move_files has not yet moved still in the
// backup.
RestoreResult restore_backup(FileSystem& fs, const BackupFolder& backup,
                             const std::string& content);

// The status line after a restore: how many came back from which folder, how many stayed
// and why.
std::string restore_status_text(const BackupFolder& backup, const RestoreResult& r);

}  // namespace pakscour
