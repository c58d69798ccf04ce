// Kills a clean of a few hundred files at random moments: after every kill each file is whole
// in the content folder or in the backup folder, and no partial copy carries a file's name.
// PAKSCOUR_KILL_CYCLES sets the number of kills (5 by default).
#include <doctest/doctest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <map>
#include <random>
#include <thread>

#include "fake_prefix.h"

#ifndef PAKSCOUR_MOVER
#error "PAKSCOUR_MOVER must name the mover program"
#endif

namespace pakscour::test {
namespace {

constexpr int file_count = 300;

// Starts the mover on a prefix, with batches of `batch_files` files (0: the program's own) and
// returns its pid once it is about to clean; -1 on failure.
pid_t start_mover(const fs::path& prefix, int batch_files) {
    int out[2];
    if (::pipe(out) != 0) return -1;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        ::close(out[0]);
        ::close(out[1]);
        const std::string batch = std::to_string(batch_files);
        if (batch_files > 0)
            ::execl(PAKSCOUR_MOVER, PAKSCOUR_MOVER, prefix.c_str(), batch.c_str(),
                    static_cast<char*>(nullptr));
        else
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
    bool finished = false;  // the clean ended before the kill
    int moved = 0;          // files found only in the backup folder
    int lost = 0;           // files whole in neither folder
};

// One clean of a fresh folder in batches of `batch_files` (0: the program's own, which hold
// all the files), killed after a random delay of up to `max_delay`, or left to finish when
// `max_delay` is zero; `took` receives the time from its start to its end.
Outcome kill_cycle(std::mt19937& random, int batch_files, std::chrono::microseconds max_delay,
                   std::chrono::microseconds& took) {
    FakePrefix prefix(memory_folder());
    std::map<std::string, std::string> files;
    std::uniform_int_distribution<std::size_t> size(0, 48 * 1024);
    for (int i = 0; i < file_count; ++i) {
        const std::string name = "mod_" + std::to_string(i) + ".pk3";
        // The first file is empty: an empty file must be found where it is, too.
        files[name] = test_bytes(i == 0 ? 0 : size(random), static_cast<unsigned>(random()));
        prefix.file("Games/CoD/Main/" + name, files[name]);
    }
    const pid_t pid = start_mover(prefix.root(), batch_files);
    REQUIRE(pid > 0);
    const auto start = std::chrono::steady_clock::now();
    if (max_delay.count() > 0) {
        std::uniform_int_distribution<long> delay(0, max_delay.count());
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
    const fs::path backup = content / "061226140509";
    for (const auto& [name, bytes] : files) {
        CAPTURE(name);
        const bool in_content = holds(content / name, bytes);
        const bool in_backup = holds(backup / name, bytes);
        CHECK((in_content || in_backup));
        outcome.lost += !in_content && !in_backup;
        outcome.moved += in_backup && !in_content;
    }
    // Whatever carries a file's name in the backup folder is that file, whole.
    if (fs::is_directory(backup)) {
        for (const auto& entry : fs::directory_iterator(backup)) {
            const std::string name = entry.path().filename().string();
            if (name[0] == '.') continue;
            CAPTURE(name);
            REQUIRE(files.count(name) == 1);
            CHECK(read_file(entry.path()) == files[name]);
        }
    }
    if (outcome.finished) CHECK(outcome.moved == file_count);
    return outcome;
}

TEST_CASE("a clean killed at any moment loses no file") {
    const char* env = std::getenv("PAKSCOUR_KILL_CYCLES");
    const int cycles = env != nullptr ? std::atoi(env) : 5;
    const unsigned seed = std::random_device{}();
    CAPTURE(seed);
    std::mt19937 random(seed);
    // A clean left to finish first tells how long one takes; each kill then comes at a random
    // moment within that time, and a clean that still finished first shortens the window.
    // Every other clean goes in batches of 40 files, so that kills also come between batches.
    std::chrono::microseconds took{};
    REQUIRE(kill_cycle(random, 0, std::chrono::microseconds(0), took).finished);
    std::chrono::microseconds max_delay = took * 9 / 10;
    int killed = 0, finished = 0, mid_move = 0, lost = 0;
    for (int i = 0; i < cycles; ++i) {
        const Outcome o = kill_cycle(random, i % 2 == 0 ? 0 : 40, max_delay, took);
        lost += o.lost;
        if (o.finished) {
            ++finished;
            max_delay = max_delay * 2 / 3;
        } else {
            ++killed;
            mid_move += o.moved > 0 && o.moved < file_count;
        }
    }
    MESSAGE("kill cycles: " << cycles << ", killed: " << killed << " (" << mid_move
                            << " in the middle of the move), finished first: " << finished
                            << ", files lost: " << lost << ", seed " << seed);
    CHECK(killed > 0);
}

}  // namespace
}  // namespace pakscour::test
