#include "engine/restore.h"

#include <algorithm>
#include <cstdio>
#include <unordered_set>

#include "engine/paths.h"
#include "platform/runtime_error.h"

namespace pakscour {
namespace {

bool leap(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int days_in(int month, int year) {
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && leap(year) ? 29 : days[month - 1];
}

std::string plural(int n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

std::optional<BackupTime> backup_time(const std::string& name) {
    if (name.size() != 12 ||
        !std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    auto two = [&](std::size_t at) { return (name[at] - '0') * 10 + (name[at + 1] - '0'); };
    const BackupTime t{2000 + two(4), two(2), two(0), two(6), two(8), two(10)};
    if (t.month < 1 || t.month > 12 || t.day < 1 || t.day > days_in(t.month, t.year) ||
        t.hour > 23 || t.minute > 59 || t.second > 59)
        return std::nullopt;
    return t;
}

std::string backup_time_text(const BackupTime& t) {
    static constexpr const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                             "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    char text[40];
    std::snprintf(text, sizeof text, "%d %s %d %02d:%02d:%02d", t.day, months[t.month - 1], t.year,
                  t.hour, t.minute, t.second);
    return text;
}

std::string size_text(std::uint64_t bytes) {
    if (bytes < 1024) return plural(static_cast<int>(bytes), "byte", "bytes");
    static constexpr const char* units[] = {"KB", "MB", "GB", "TB"};
    double size = static_cast<double>(bytes) / 1024.0;
    std::size_t unit = 0;
    while (size >= 1024.0 && unit + 1 < std::size(units)) {
        size /= 1024.0;
        ++unit;
    }
    char text[40];
    std::snprintf(text, sizeof text, "%.1f %s", size, units[unit]);
    return text;
}

std::vector<BackupFolder> find_backups(FileSystem& fs, const std::string& content) {
    std::vector<BackupFolder> found;
    for (const FileSystem::FolderEntry& e : fs.list_folder(content)) {
        if (!e.folder) continue;
        const auto time = backup_time(e.name);
        if (!time) continue;
        BackupFolder b{e.name, e.path, *time, 0, 0};
        // A folder that cannot be listed (its permissions, a failing disk) is shown as such;
        // the others are still offered.
        try {
            for (const FileSystem::FolderEntry& file : fs.list_folder(e.path)) {
                if (!file.plain) continue;
                ++b.files;
                b.bytes += file.size;
            }
        } catch (const RuntimeError&) {
            b = BackupFolder{e.name, e.path, *time, 0, 0};
            b.readable = false;
        }
        found.push_back(std::move(b));
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const BackupFolder& a, const BackupFolder& b) { return a.time > b.time; });
    return found;
}

std::string backup_entry_text(const BackupFolder& b) {
    if (!b.readable) return backup_time_text(b.time) + "  -  cannot be read";
    // Every plain file counts, whatever its extension: these are files, not only archives.
    return backup_time_text(b.time) + "  -  " + plural(b.files, "file", "files") + ", " +
           size_text(b.bytes);
}

RestoreResult restore_backup(FileSystem& fs, const BackupFolder& backup,
                             const std::string& content) {
    // The names the games see in the content folder, read once (an enumeration, which looks at
    // no file on its own): a name taken in another folder's own place, a folder or a hidden
    // file, is found by the move itself.
    std::unordered_set<std::string> taken_names;
    taken_names.reserve(4096);
    for (std::string name = fs.find_first(content + "\\*"); !name.empty(); name = fs.find_next())
        taken_names.insert(ascii_lower(name));
    std::vector<std::string> names;
    RestoreResult r;
    for (const FileSystem::FolderEntry& e : fs.list_folder(backup.path)) {
        if (!e.plain) continue;
        // Two names of the backup that differ only in case would clash with each other.
        if (!taken_names.insert(ascii_lower(e.name)).second)
            ++r.taken;
        else
            names.push_back(e.name);
    }
    r.target = fs.writable_folder(content);
    const MoveResult moved = move_files(fs, backup.path + "\\", r.target, names, true);
    r.moved = static_cast<int>(moved.moved());
    r.taken += static_cast<int>(moved.taken);
    r.in_both = static_cast<int>(moved.in_both);
    r.removed = fs.remove_empty_folder(backup.path);
    return r;
}

std::string restore_status_text(const BackupFolder& backup, const RestoreResult& r) {
    std::string text = plural(r.moved, "file", "files") + " moved back from: " + backup.path;
    if (r.taken == 1) text += "; 1 stayed there, its name already taken";
    if (r.taken > 1)
        text += "; " + std::to_string(r.taken) + " stayed there, their names already taken";
    if (r.in_both > 0)
        text += "; " + std::to_string(r.in_both) +
                " copied back stayed there too, changed by another program meanwhile";
    return text;
}

}  // namespace pakscour
