// Kills a clean, and a restore of its backup folder, at random moments drawn so that most land
// while files move: after every kill each file is whole in the content folder or in the backup
// folder, and whatever carries a file's name where the files go is that file, whole. In memory
// 2 000 files move by rename; on a FUSE file system, 300 by a link and the exact removal of the
// old name (its renames cannot refuse to replace) or by copy (its renames between folders
// answer EXDEV). PAKSCOUR_KILL_CYCLES sets the number of kills (5 by default).
#include <doctest/doctest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <map>
#include <random>
#include <thread>

#include "fake_prefix.h"
#include "fuse_mount.h"

#ifndef PAKSCOUR_MOVER
#error "PAKSCOUR_MOVER must name the mover program"
#endif

namespace pakscour::test {
namespace {

constexpr const char* stamp = "061226140509";

// Which way the files go: a clean moves them from the content folder into the backup folder,
// a restore moves them back.
struct Way {
    bool restore;
    const char* name;  // "clean" or "restore", as in the test case names
};
constexpr Way clean_way{false, "clean"};
constexpr Way restore_way{true, "restore"};

// Starts the mover on a prefix and returns its pid once it is about to move; -1 on failure.
pid_t start_mover(const Way& way, const fs::path& prefix) {
    int out[2];
    if (::pipe(out) != 0) return -1;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        ::close(out[0]);
        ::close(out[1]);
        if (way.restore) ::setenv("PAKSCOUR_MOVER_MODE", "restore", 1);
        ::execl(PAKSCOUR_MOVER, PAKSCOUR_MOVER, prefix.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(out[1]);
    char started = 0;
    const bool ok = pid > 0 && ::read(out[0], &started, 1) == 1;
    ::close(out[0]);
    return ok ? pid : -1;
}

struct Outcome {
    bool finished = false;  // the move ended before the kill
    int moved = 0;          // files found only where they were going
    int lost = 0;           // files whole in neither folder
};

// One move of a fresh folder below `base`, killed after a random delay of up to `max_delay`, or
// left to finish when `max_delay` is zero; `took` receives the time from its start to its end.
Outcome kill_cycle(const Way& way, std::mt19937& random, const fs::path& base, int file_count,
                   std::chrono::microseconds min_delay, std::chrono::microseconds max_delay,
                   std::chrono::microseconds& took) {
    FakePrefix prefix(base);
    const std::string from =
        way.restore ? std::string("Games/CoD/Main/") + stamp + "/" : std::string("Games/CoD/Main/");
    std::map<std::string, std::string> files;
    std::uniform_int_distribution<std::size_t> size(0, file_count > 300 ? 4096 : 48 * 1024);
    if (way.restore) prefix.file("Games/CoD/Main/pak0.pk3", "stock");
    for (int i = 0; i < file_count; ++i) {
        const std::string name = "mod_" + std::to_string(i) + ".pk3";
        // The first file is empty: an empty file must be found where it is, too.
        files[name] = test_bytes(i == 0 ? 0 : size(random), static_cast<unsigned>(random()));
        prefix.file(from + name, files[name]);
    }
    const pid_t pid = start_mover(way, prefix.root());
    REQUIRE(pid > 0);
    const auto start = std::chrono::steady_clock::now();
    if (max_delay.count() > 0) {
        std::uniform_int_distribution<long> delay(min_delay.count(), max_delay.count());
        std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
        ::kill(pid, SIGKILL);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    took = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() -
                                                                 start);
    Outcome outcome;
    outcome.finished = WIFEXITED(status);
    if (outcome.finished) CHECK(WEXITSTATUS(status) == 0);

    const fs::path content = prefix.c("Games/CoD/Main");
    const fs::path backup = content / stamp;
    const fs::path& source = way.restore ? backup : content;
    const fs::path& target = way.restore ? content : backup;
    for (const auto& [name, bytes] : files) {
        CAPTURE(name);
        const bool in_source = holds(source / name, bytes);
        const bool in_target = holds(target / name, bytes);
        CHECK((in_source || in_target));
        outcome.lost += !in_source && !in_target;
        outcome.moved += in_target && !in_source;
    }
    // Whatever carries a file's name where the files go is that file, whole.
    if (fs::is_directory(target)) {
        for (const auto& entry : fs::directory_iterator(target)) {
            const std::string name = entry.path().filename().string();
            if (name[0] == '.' || entry.is_directory() || name == "pak0.pk3") continue;
            CAPTURE(name);
            REQUIRE(files.count(name) == 1);
            CHECK(read_file(entry.path()) == files[name]);
        }
    }
    if (outcome.finished) {
        CHECK(outcome.moved == file_count);
        // A restore that finished removed the emptied backup folder.
        if (way.restore) CHECK_FALSE(fs::exists(backup));
    }
    return outcome;
}

// A move left to finish first tells how long one takes; each kill then comes at a random
// moment of a window within that time, whose start moves later after a kill that came before
// any file moved and whose end moves earlier after a move that finished first.
void kill_moves(const Way& way, const fs::path& base, int file_count, int default_cycles,
                const char* label = "") {
    const char* env = std::getenv("PAKSCOUR_KILL_CYCLES");
    const int cycles = env != nullptr ? std::atoi(env) : default_cycles;
    const unsigned seed = std::random_device{}();
    CAPTURE(seed);
    std::mt19937 random(seed);
    using us = std::chrono::microseconds;
    us took{};
    REQUIRE(kill_cycle(way, random, base, file_count, us(0), us(0), took).finished);
    us min_delay = took / 5;
    us max_delay = took * 4 / 5;
    int killed = 0, finished = 0, mid_move = 0, lost = 0;
    for (int i = 0; i < cycles; ++i) {
        const Outcome o = kill_cycle(way, random, base, file_count, min_delay, max_delay, took);
        lost += o.lost;
        if (o.finished) {
            ++finished;
            max_delay = std::max(min_delay + us(1), max_delay * 9 / 10);
        } else {
            ++killed;
            mid_move += o.moved > 0 && o.moved < file_count;
            if (o.moved == 0) min_delay = std::min(max_delay - us(1), min_delay * 11 / 10 + us(1));
        }
    }
    const std::string way_name = std::string(label) + (way.restore ? "restore " : "");
    MESSAGE(way_name << "kill cycles: " << cycles << ", killed: " << killed << " (" << mid_move
                     << " in the middle of the move), finished first: " << finished
                     << ", files lost: " << lost << ", seed " << seed);
    CHECK(killed > 0);
}

TEST_CASE("a clean killed at any moment loses no file") {
    kill_moves(clean_way, memory_folder(), 2000, 5);
}

TEST_CASE("a restore killed at any moment loses no file") {
    kill_moves(restore_way, memory_folder(), 2000, 5);
}

TEST_SUITE("fuse") {
    TEST_CASE("a clean and a restore that must link or copy, killed at any moment, lose no file") {
        if (!fuse_usable_or_skip()) return;
        for (const char* renames : {"noflags", "exdev"}) {
            FakePrefix base(memory_folder());
            fs::create_directory(base.root() / "backing");
            LogFsMount mount(base.root() / "backing", base.root() / "mount", base.root() / "log",
                             "", renames);
            REQUIRE(mount.mounted());
            const char* label = std::string(renames) == "exdev" ? "copies, " : "links, ";
            kill_moves(clean_way, base.root() / "mount", 300, 3, label);
            kill_moves(restore_way, base.root() / "mount", 300, 3, label);
        }
    }
}

}  // namespace
}  // namespace pakscour::test
