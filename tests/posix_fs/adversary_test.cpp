// Cleans while another process works in the same folder: at random moments it moves originals
// to a side folder, puts a new file in an original's place (the old one to the side folder),
// adds twins of names that differ only in case and makes files read-only. After every round
// each file content that was ever in the content folder is whole in the content folder, a
// backup folder or the side folder; every name in a backup folder holds one of them whole; and
// no hidden file of a clean is left. On the memory file system the files move by rename; on the
// FUSE pass-through, half the rounds by a link and the exact removal of the old name (renames
// there answer EINVAL to RENAME_NOREPLACE), half by copy (renames between folders answer
// EXDEV). PAKSCOUR_ADVERSARY_ROUNDS sets the rounds on the memory file system (20 by default),
// PAKSCOUR_ADVERSARY_FUSE_ROUNDS those on the FUSE pass-through (4 by default).
#include <doctest/doctest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <random>
#include <set>
#include <thread>

#include "clean_rig.h"
#include "fake_prefix.h"
#include "fuse_mount.h"
#include "platform/posix/posix_file_system.h"

#ifndef PAKSCOUR_MOVER
#error "PAKSCOUR_MOVER must name the mover program"
#endif

namespace pakscour::test {
namespace {

int env_count(const char* name, int fallback) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::atoi(value) : fallback;
}

// The regular files below `folder` (hidden ones too), with their bytes.
std::vector<std::pair<fs::path, std::string>> files_below(const fs::path& folder) {
    std::vector<std::pair<fs::path, std::string>> files;
    if (!fs::is_directory(folder)) return files;
    for (const auto& e : fs::recursive_directory_iterator(folder))
        if (e.is_regular_file()) files.emplace_back(e.path(), read_file(e.path()));
    return files;
}

// A name of the content folder in another case: "Mod3.pk3" gives "mOD3.PK3".
std::string twin_of(std::string name, std::mt19937& random) {
    for (char& c : name)
        if (std::isalpha(static_cast<unsigned char>(c)) && random() % 2 == 0)
            c = static_cast<char>(std::isupper(static_cast<unsigned char>(c)) ? std::tolower(c)
                                                                              : std::toupper(c));
    return name;
}

// Writes a new file whole under a hidden name of `folder`, then gives it `name` unless that
// is taken; its bytes join `ever` when it did.
void put_new_file(const fs::path& folder, const std::string& name, const std::string& bytes,
                  std::set<std::string>& ever) {
    const fs::path temp = folder / ".adversary";
    std::ofstream(temp, std::ios::binary) << bytes;
    const fs::path target = folder / name;
    if (::renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0)
        ever.insert(bytes);
    else
        fs::remove(temp);
}

struct Round {
    int actions = 0;
    int lost = 0;
    bool clean_completed = false;
};

// One clean of a fresh content folder under `base` by the mover program, with the adversary
// acting until it ends.
Round adversary_round(const fs::path& base, std::mt19937& random, unsigned round) {
    FakePrefix prefix(base);
    const fs::path content = prefix.c("Games/CoD/Main");
    const fs::path side = prefix.c("Side");
    fs::create_directories(side);
    std::set<std::string> ever;  // every content ever in the content folder
    std::uniform_int_distribution<std::size_t> size(1, 24 * 1024);
    unsigned serial = round * 1000;
    auto new_bytes = [&] { return test_bytes(size(random), ++serial); };
    auto put = [&](const std::string& name, const std::string& bytes) {
        prefix.file("Games/CoD/Main/" + name, bytes);
        ever.insert(bytes);
    };
    for (int i = 0; i < 40; ++i) put("mod" + std::to_string(i) + ".pk3", new_bytes());
    // Every other round, a pair that differs only in case, as in the folders of players who
    // copy files by hand.
    if (round % 2 == 1) {
        put("foo.pk3", new_bytes());
        put("FOO.pk3", new_bytes());
    }

    int out[2];
    REQUIRE(::pipe(out) == 0);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        ::close(out[0]);
        ::close(out[1]);
        ::execl(PAKSCOUR_MOVER, PAKSCOUR_MOVER, prefix.root().c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(out[1]);
    char started = 0;
    REQUIRE(::read(out[0], &started, 1) == 1);
    ::close(out[0]);

    Round result;
    // From a few actions per clean to dozens, for a clean by rename that takes a millisecond
    // as for one that copies: the wait before each, up to 0.02 ms to 40 ms.
    std::uniform_int_distribution<int> pause(0, 20 << (random() % 12));
    int status = 0;
    while (::waitpid(pid, &status, WNOHANG) == 0) {
        std::this_thread::sleep_for(std::chrono::microseconds(pause(random)));
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(content))
            if (e.is_regular_file() && e.path().filename().string()[0] != '.')
                names.push_back(e.path().filename().string());
        if (names.empty()) continue;
        const std::string name = names[random() % names.size()];
        const std::string moved = "moved" + std::to_string(++serial) + "-" + name;
        ++result.actions;
        switch (random() % 4) {
            case 0:  // moved away
                ::rename((content / name).c_str(), (side / moved).c_str());
                break;
            case 1:  // a new file in its place, the old one kept aside
                if (::rename((content / name).c_str(), (side / moved).c_str()) == 0)
                    put_new_file(content, name, new_bytes(), ever);
                break;
            case 2:  // a twin in another case
                put_new_file(content, twin_of(name, random), new_bytes(), ever);
                break;
            default:  // read-only
                ::chmod((content / name).c_str(), 0444);
                break;
        }
    }
    CHECK(WIFEXITED(status));
    result.clean_completed = WIFEXITED(status) && WEXITSTATUS(status) == 0;

    // Every content ever there is whole somewhere; every named file is one of them, whole.
    std::multiset<std::string> found;
    for (const fs::path& folder : {content, side})
        for (const auto& [path, bytes] : files_below(folder)) {
            const std::string name = path.filename().string();
            CAPTURE(path);
            CHECK(name.rfind(".pakscour-", 0) != 0);
            if (name[0] == '.') continue;
            CHECK(ever.count(bytes) == 1);
            found.insert(bytes);
        }
    for (const std::string& bytes : ever) result.lost += found.count(bytes) == 0;
    CHECK(result.lost == 0);
    return result;
}

void run_rounds(const fs::path& base, int rounds, const std::string& where) {
    const unsigned seed = std::random_device{}();
    CAPTURE(seed);
    std::mt19937 random(seed);
    int actions = 0, lost = 0, completed = 0;
    for (int i = 0; i < rounds; ++i) {
        const Round r = adversary_round(base, random, static_cast<unsigned>(i));
        actions += r.actions;
        lost += r.lost;
        completed += r.clean_completed;
    }
    MESSAGE("adversary rounds (" << where << "): " << rounds << ", its actions: " << actions
                                 << ", cleans completed: " << completed << ", files lost: " << lost
                                 << ", seed " << seed);
}

TEST_CASE("a clean loses no file whatever another process does in the folder meanwhile") {
    run_rounds(memory_folder(), env_count("PAKSCOUR_ADVERSARY_ROUNDS", 20), "memory");
}

TEST_SUITE("fuse") {
    TEST_CASE("on FUSE a clean loses no file whatever another process does meanwhile") {
        const int rounds = env_count("PAKSCOUR_ADVERSARY_FUSE_ROUNDS", 4);
        if (rounds == 0 || !fuse_usable_or_skip()) return;
        for (const char* renames : {"noflags", "exdev"}) {
            FakePrefix base(memory_folder());
            fs::create_directory(base.root() / "backing");
            LogFsMount mount(base.root() / "backing", base.root() / "mount", base.root() / "log",
                             "", renames);
            REQUIRE(mount.mounted());
            const bool links = std::string(renames) == "noflags";
            run_rounds(base.root() / "mount", links ? rounds - rounds / 2 : rounds / 2,
                       links ? "FUSE, links" : "FUSE, copies");
        }
    }
}

}  // namespace
}  // namespace pakscour::test
