// The child program of the kill test: `posix_fs_mover PREFIX` cleans the Call of Duty folder
// C:\Games\CoD\Main of the prefix with the real file system, writing one byte to its standard
// output just before the clean starts. Exit status 0 when the clean completed. With
// PAKSCOUR_MOVER_MODE set to "restore" it puts the backup folder Main\061226140509 back instead.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "clean_rig.h"
#include "platform/posix/posix_file_system.h"

int main(int argc, char** argv) {
    using namespace pakscour;
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s PREFIX\n", argv[0]);
        return 2;
    }
    posix::PosixFileSystem fs{posix::WinePrefix(argv[1])};
    test::FixedClock clock;
    test::CleanRig rig(fs, clock);
    if (::write(STDOUT_FILENO, "s", 1) != 1) return 3;
    // PAKSCOUR_MOVER_MODE=restore puts the backup folder back instead, as the restore
    // window does.
    if (const char* mode = std::getenv("PAKSCOUR_MOVER_MODE");
        mode && std::string(mode) == "restore")
        return rig.restore() && rig.app.boxes.empty() ? 0 : 1;
    const bool done = rig.clean() && rig.app.boxes.empty();
    // What stopped the clean, for whoever reads the child's errors.
    if (!done && std::getenv("PAKSCOUR_MOVER_SAY") != nullptr)
        for (const auto& box : rig.app.boxes) std::fprintf(stderr, "%s\n", box.text.c_str());
    return done ? 0 : 1;
}
