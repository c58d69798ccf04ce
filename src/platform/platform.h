// The platform services one run of the program uses, handed to the layers above as one bundle.
#pragma once

#include "platform/app_services.h"
#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/forms/application.h"
#include "platform/game_finder.h"
#include "platform/registry_store.h"
#include "platform/shell.h"

namespace pakscour {

struct Platform {
    FileSystem& fs;
    RegistryStore& registry;
    Shell& shell;
    Clock& clock;
    AppServices& app;
    forms::Application& forms;
    // Asked only for the games whose registry key has no install folder.
    GameFinder& games = no_game_finder();
};

}  // namespace pakscour
