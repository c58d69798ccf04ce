// The program over the real Linux platform in a Wine prefix, wired as main() wires it: the file
// system and the registry of that prefix, a game finder, recording doubles for the message boxes
// and the shell, and a fixed clock.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "main_window.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_registry_store.h"
#include "platform/posix/wine_prefix.h"
#include "test_platform.h"
#include "ui/program.h"

namespace pakscour::test {

struct PosixRig {
    // Makes the game finder from the prefix in use.
    using MakeFinder = std::function<std::unique_ptr<GameFinder>(const posix::WinePrefix&)>;

    // The game finder is `games`, or the one `make` makes.
    explicit PosixRig(posix::WinePrefix prefix, GameFinder& games = no_game_finder(),
                      const MakeFinder& make = nullptr)
        : wine(std::move(prefix)),
          fs(wine),
          registry(wine.root()),
          own_games(make ? make(wine) : nullptr),
          program(Platform{fs, registry, shell, clock, app, forms, own_games ? *own_games : games}),
          ctx(program.context()),
          main(ctx.frmMain) {}

    posix::WinePrefix wine;
    posix::PosixFileSystem fs;
    posix::PosixRegistryStore registry;
    std::unique_ptr<GameFinder> own_games;
    RecordingApp app;
    RecordingShell shell;
    FixedClock clock;
    forms::Application forms;
    Program program;
    Context& ctx;
    forms::Form& main;

    forms::Control& ctl(const std::string& name, int index = forms::no_index) {
        return main.ctl(name, index);
    }
    // Shows the main window, which runs the load step.
    void load() { forms.show(main); }
};

}  // namespace pakscour::test
