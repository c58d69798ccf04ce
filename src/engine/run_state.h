// The stock catalogue and the shared variables through which the scan, the move and the main
// window pass the outcome of one step to the next. One run state lives for the whole run.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace pakscour {

// The games by their codes, compared exactly.
inline constexpr const char* game_cod = "COD";
inline constexpr const char* game_uo = "UO";
inline constexpr const char* game_cod2 = "COD2";

struct RunState {
    std::array<std::string, 12> stock_cod;
    std::array<std::string, 9> stock_uo;
    std::array<std::string, 16> stock_cod2;
    std::string selected_game;
    bool is_alien = false;
    std::string current_file;
    std::string map_pack_file;
    // Alien names of the last scan from index 0. It grows as needed; a shorter scan leaves the
    // entries at and above `alien_count` from an earlier scan, which nothing reads.
    std::vector<std::string> alien_files;
    int alien_count = 0;
    std::string last_checked_game;
    bool backup_made = false;
    std::string backup_path;
    bool keep_uo_map_pack = false;
};

}  // namespace pakscour
