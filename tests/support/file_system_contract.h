// The answers of FileSystem::move_file (and of copy_file after it) that every platform gives,
// as one table run over a small rig per platform that makes the places each row needs: a plain
// rename, another file system, a missing file or folder, a taken name (exactly, or in another
// case: a clash in a folder create_folder made only where the file system folds case, in any
// other folder always, as the games see it), a folder or link in the file's place, a name gone
// while its twin in another case is there, and a held file.
#pragma once

#include <doctest/doctest.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/file_system.h"
#include "platform/runtime_error.h"

namespace pakscour::test {

// What a platform's contract test provides. Paths are Windows path texts.
class ContractRig {
  public:
    virtual ~ContractRig() = default;
    virtual FileSystem& fs() = 0;
    // A new, empty folder for one row, on the drive the moves are on; no final backslash.
    virtual std::string new_folder() = 0;
    // A new, empty folder on another file system; "" where the rig has none.
    virtual std::string other_file_system_folder() = 0;
    virtual void make_folder(const std::string& path) = 0;
    virtual void write(const std::string& path, const std::string& bytes) = 0;
    // The bytes of the plain file at `path`; nullopt when no plain file is there.
    virtual std::optional<std::string> read(const std::string& path) = 0;
    // Whether anything at all (file, folder, link) bears the name `path`.
    virtual bool exists(const std::string& path) = 0;
    // Puts a link to the folder `target` at `path` (a symbolic link, or a junction); false
    // where the rig cannot.
    virtual bool link(const std::string& path, const std::string& target) = 0;
    // Holds the file at `path` open as a running game does, until release(); returns the
    // number a move of it raises then (0: it moves).
    virtual std::int32_t hold(const std::string& path) = 0;
    virtual void release() = 0;
    // Whether names that differ only in case are two files.
    virtual bool case_sensitive() = 0;
};

namespace contract {

// The number `op` raises, 0 when it raises none; a raise must carry its usual description.
inline std::int32_t number_of(const std::function<void()>& op) {
    try {
        op();
    } catch (const RuntimeError& e) {
        CHECK(e.description == error_description(e.number));
        return e.number;
    }
    return 0;
}

}  // namespace contract

inline void check_move_contract(ContractRig& rig) {
    FileSystem& fs = rig.fs();
    // One row: what is in the source folder, the name taken in the target folder (one that
    // create_folder made, or any other), the names moved and the number raised (0: renamed).
    enum class Source { file, folder, link, twin };
    struct Row {
        const char* what;
        Source source;
        const char* taken;
        bool made;
        const char* from_name;
        const char* to_name;
        std::int32_t number;
    };
    const std::int32_t folded = rig.case_sensitive() ? 0 : err::file_exists;
    const Row rows[] = {
        {"a plain rename", Source::file, "", false, "a.pk3", "a.pk3", 0},
        {"a missing file", Source::file, "", false, "gone.pk3", "gone.pk3", err::file_not_found},
        {"a file in a missing folder", Source::file, "", false, "nowhere\\a.pk3", "a.pk3",
         err::path_not_found},
        {"a target folder that is missing", Source::file, "", false, "a.pk3", "nowhere\\a.pk3",
         err::path_not_found},
        {"a taken name", Source::file, "a.pk3", false, "a.pk3", "a.pk3", err::file_exists},
        {"a name taken in another case in a folder create_folder made", Source::file, "A.PK3", true,
         "a.pk3", "a.pk3", folded},
        {"a name taken in another case in any other folder", Source::file, "A.PK3", false, "a.pk3",
         "a.pk3", err::file_exists},
        {"a folder in the file's place", Source::folder, "", false, "a.pk3", "a.pk3",
         err::permission_denied},
        {"a link in the file's place", Source::link, "", false, "a.pk3", "a.pk3",
         err::permission_denied},
        {"a name gone while its twin in another case is there", Source::twin, "", false, "a.pk3",
         "a.pk3", err::file_not_found},
    };
    for (const Row& row : rows) {
        CAPTURE(row.what);
        const std::string from = rig.new_folder();
        const std::string to =
            row.made ? fs.create_folder(rig.new_folder() + "\\made") : rig.new_folder();
        if (row.source == Source::file) rig.write(from + "\\a.pk3", "a");
        if (row.source == Source::folder) rig.make_folder(from + "\\a.pk3");
        if (row.source == Source::link) {
            rig.make_folder(to + "\\elsewhere");
            if (!rig.link(from + "\\a.pk3", to + "\\elsewhere")) continue;
        }
        if (row.source == Source::twin) {
            if (!rig.case_sensitive()) continue;
            rig.write(from + "\\A.PK3", "twin");
        }
        if (*row.taken != '\0') rig.write(to + "\\" + row.taken, "older");
        const std::string source = from + "\\" + row.from_name;
        const std::string target = to + "\\" + row.to_name;
        const auto before_source = rig.read(source);
        const auto before_target = rig.read(target);
        const bool source_there = rig.exists(source);
        Moved moved = Moved::other_file_system;
        CHECK(contract::number_of([&] { moved = fs.move_file(source, target); }) == row.number);
        fs.flush_moves();
        if (row.number == 0) {
            CHECK(moved == Moved::renamed);
            CHECK(rig.read(target) == before_source);
            CHECK_FALSE(rig.exists(source));
        } else {
            // Nothing moved, nothing replaced.
            CHECK(rig.exists(source) == source_there);
            CHECK(rig.read(source) == before_source);
            CHECK(rig.read(target) == before_target);
        }
    }

    {
        INFO("a held file");
        const std::string from = rig.new_folder();
        const std::string to = rig.new_folder();
        rig.write(from + "\\held.pk3", "held");
        const std::int32_t number = rig.hold(from + "\\held.pk3");
        CHECK(contract::number_of([&] { fs.move_file(from + "\\held.pk3", to + "\\held.pk3"); }) ==
              number);
        rig.release();
        fs.flush_moves();
        CHECK(rig.read((number == 0 ? to : from) + "\\held.pk3") == "held");
        CHECK_FALSE(rig.exists((number == 0 ? from : to) + "\\held.pk3"));
    }

    // Another file system: move_file touches nothing, copy_file moves.
    const std::string other = rig.other_file_system_folder();
    if (other.empty()) {
        MESSAGE("no second file system here: not checked");
    } else {
        const std::string from = rig.new_folder();
        rig.write(from + "\\a.pk3", "a");
        rig.write(from + "\\b.pk3", "b");
        rig.write(other + "\\b.pk3", "older");
        CHECK(fs.move_file(from + "\\a.pk3", other + "\\a.pk3") == Moved::other_file_system);
        CHECK(rig.read(from + "\\a.pk3") == "a");
        CHECK_FALSE(rig.exists(other + "\\a.pk3"));
        CHECK(fs.copy_file(from + "\\a.pk3", other + "\\a.pk3") == Copied::moved);
        // A taken name and a missing file refuse the copy as the move: nothing is touched.
        CHECK(contract::number_of([&] { fs.copy_file(from + "\\b.pk3", other + "\\b.pk3"); }) ==
              err::file_exists);
        CHECK(contract::number_of([&] { fs.copy_file(from + "\\c.pk3", other + "\\c.pk3"); }) ==
              err::file_not_found);
        fs.flush_moves();
        CHECK(rig.read(other + "\\a.pk3") == "a");
        CHECK_FALSE(rig.exists(from + "\\a.pk3"));
        CHECK(rig.read(from + "\\b.pk3") == "b");
        CHECK(rig.read(other + "\\b.pk3") == "older");
        CHECK_FALSE(rig.exists(other + "\\c.pk3"));
    }
}

}  // namespace pakscour::test
