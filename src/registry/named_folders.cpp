#include "registry/named_folders.h"

#include "registry/frm_main_load.h"

namespace pakscour {

const GameMark game_marks[3] = {
    {key_cod, "Main\\pak0.pk3", "Call of Duty"},
    {key_uo, "uo\\pakuo00.pk3", "Call of Duty United Offensive"},
    {key_cod2, "main\\iw_00.iwd", "Call of Duty 2"},
};

const GameMark* game_mark(const std::string& key_path) {
    for (const GameMark& mark : game_marks)
        if (key_path == mark.key_path) return &mark;
    return nullptr;
}

namespace {

// "Main/pak0.pk3" on a platform whose paths use "/".
std::string archive_path(const GameMark& mark, char separator) {
    std::string path = mark.archive;
    for (char& c : path)
        if (c == '\\') c = separator;
    return path;
}

// "Main\pak0.pk3 (Call of Duty), uo\pakuo00.pk3 (...) or main\iw_00.iwd (...)".
std::string archives_looked_for(char separator, bool with_names) {
    std::string text;
    const char* joint = "";
    for (const GameMark& mark : game_marks) {
        text += joint;
        text += archive_path(mark, separator);
        if (with_names) text += std::string(" (") + mark.name + ")";
        joint = &mark == &game_marks[1] ? " or " : ", ";
    }
    return text;
}

struct ProblemWords {
    FolderProblem problem;
    const char* box;   // the message box's first line
    const char* line;  // the reason on standard error
};

constexpr ProblemWords problem_table[] = {
    {FolderProblem::missing, "This folder was not found:", "no such folder"},
    {FolderProblem::not_folder, "This is a file, not a folder:", "not a folder"},
    {FolderProblem::unnameable,
     "This folder's path holds a name that cannot be shown (a backslash, a control character or "
     "text that is not UTF-8):",
     "its path holds a name that cannot be shown"},
    {FolderProblem::no_game, "No game was found in this folder:", "no game in it"},
};

const ProblemWords& problem_words(FolderProblem problem) {
    for (const ProblemWords& words : problem_table)
        if (words.problem == problem) return words;
    return problem_table[3];  // every problem is in the table
}

}  // namespace

std::string rejected_folder_text(const RejectedFolder& rejected) {
    return std::string(problem_words(rejected.problem).box) + "\r\r" + rejected.folder +
           "\r\rPakscour looks in a game folder for " +
           archives_looked_for(rejected.separator, true) + ".";
}

std::string rejected_folder_line(const RejectedFolder& rejected) {
    std::string why = problem_words(rejected.problem).line;
    if (rejected.problem == FolderProblem::no_game)
        why += " (looked for " + archives_looked_for(rejected.separator, false) + ")";
    return "pakscour: '" + rejected.folder + "': " + why;
}

NamedFolders::NamedFolders(const std::vector<NamedFolder>& named, const Holds& holds,
                           char separator) {
    for (const NamedFolder& one : named) {
        if (one.folder.empty()) {
            rejected_.push_back(RejectedFolder{one.given, one.problem, separator});
            continue;
        }
        bool any = false;
        for (const GameMark& mark : game_marks) {
            if (!holds(one.folder, mark)) continue;
            any = true;
            if (!folder_for(mark.key_path)) found_.emplace_back(&mark, one.folder);
        }
        if (!any) rejected_.push_back(RejectedFolder{one.given, FolderProblem::no_game, separator});
    }
}

std::optional<std::string> NamedFolders::folder_for(const std::string& key_path) const {
    for (const auto& [mark, folder] : found_)
        if (key_path == mark->key_path) return folder;
    return std::nullopt;
}

std::optional<std::string> first_holding(const std::vector<std::string>& folders,
                                         const std::string& key_path,
                                         const NamedFolders::Holds& holds) {
    const GameMark* mark = game_mark(key_path);
    if (mark == nullptr) return std::nullopt;
    for (const std::string& folder : folders)
        if (holds(folder, *mark)) return folder;
    return std::nullopt;
}

}  // namespace pakscour
