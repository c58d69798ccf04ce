// Kills a restore of a backup folder of a few hundred files at random moments: after every
// kill each file is whole in the backup folder or in the content folder, and whatever bears a
// file's name in the content folder is that file, whole. PAKSCOUR_KILL_CYCLES sets the number
// of kills (5 by default).
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

constexpr int restore_files = 300;

// Starts the mover in its restore mode; returns its pid once it is about to restore.
pid_t start_restore(const fs::path& prefix, int batch_files) {
    int out[2];
    if (::pipe(out) != 0) return -1;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        ::close(out[0]);
        ::close(out[1]);
        ::setenv("PAKSCOUR_MOVER_MODE", "restore", 1);
        const std::string batch = std::to_string(batch_files);
        ::execl(PAKSCOUR_MOVER, PAKSCOUR_MOVER, prefix.c_str(), batch.c_str(),
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(out[1]);
    char started = 0;
    const bool ok = pid > 0 && ::read(out[0], &started, 1) == 1;
    ::close(out[0]);
    return ok ? pid : -1;
}

struct RestoreOutcome {
    bool finished = false;
    int back = 0;  // files found only in the content folder
    int lost = 0;
};

RestoreOutcome restore_cycle(std::mt19937& random, int batch_files,
                             std::chrono::microseconds max_delay, std::chrono::microseconds& took) {
    FakePrefix prefix(memory_folder());
    std::map<std::string, std::string> files;
    std::uniform_int_distribution<std::size_t> size(0, 48 * 1024);
    prefix.file("Games/CoD/Main/pak0.pk3", "stock");
    for (int i = 0; i < restore_files; ++i) {
        const std::string name = "mod_" + std::to_string(i) + ".pk3";
        files[name] = test_bytes(i == 0 ? 0 : size(random), static_cast<unsigned>(random()));
        prefix.file("Games/CoD/Main/061226140509/" + name, files[name]);
    }
    const pid_t pid = start_restore(prefix.root(), batch_files);
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
    RestoreOutcome outcome;
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
        outcome.back += in_content && !in_backup;
    }
    for (const auto& entry : fs::directory_iterator(content)) {
        const std::string name = entry.path().filename().string();
        if (name[0] == '.' || entry.is_directory() || name == "pak0.pk3") continue;
        CAPTURE(name);
        REQUIRE(files.count(name) == 1);
        CHECK(read_file(entry.path()) == files[name]);
    }
    if (outcome.finished) {
        CHECK(outcome.back == restore_files);
        CHECK_FALSE(fs::exists(backup));
    }
    return outcome;
}

TEST_CASE("a restore killed at any moment loses no file") {
    const char* env = std::getenv("PAKSCOUR_KILL_CYCLES");
    const int cycles = env != nullptr ? std::atoi(env) : 5;
    const unsigned seed = std::random_device{}();
    CAPTURE(seed);
    std::mt19937 random(seed);
    std::chrono::microseconds took{};
    REQUIRE(restore_cycle(random, 512, std::chrono::microseconds(0), took).finished);
    std::chrono::microseconds max_delay = took * 9 / 10;
    int killed = 0, finished = 0, mid_move = 0, lost = 0;
    for (int i = 0; i < cycles; ++i) {
        const RestoreOutcome o = restore_cycle(random, i % 2 == 0 ? 512 : 40, max_delay, took);
        lost += o.lost;
        if (o.finished) {
            ++finished;
            max_delay = max_delay * 2 / 3;
        } else {
            ++killed;
            mid_move += o.back > 0 && o.back < restore_files;
        }
    }
    MESSAGE("restore kill cycles: " << cycles << ", killed: " << killed << " (" << mid_move
                                    << " in the middle of the move), finished first: " << finished
                                    << ", files lost: " << lost << ", seed " << seed);
    CHECK(killed > 0);
}

}  // namespace
}  // namespace pakscour::test
