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

std::string rejected_folder_text(const RejectedFolder& rejected) {
    std::string looked_for = "Pakscour looks in a game folder for";
    const char* joint = " ";
    for (const GameMark& mark : game_marks) {
        looked_for += joint;
        looked_for += mark.archive;
        looked_for += " (";
        looked_for += mark.name;
        looked_for += ")";
        joint = &mark == &game_marks[1] ? " or " : ", ";
    }
    looked_for += ".";
    std::string first;
    switch (rejected.problem) {
        case FolderProblem::missing:
            first = "This folder was not found:";
            break;
        case FolderProblem::unnameable:
            first =
                "This folder's path holds a name that cannot be shown (a backslash, a control "
                "character or text that is not UTF-8):";
            break;
        case FolderProblem::no_game:
            first = "No game was found in this folder:";
            break;
    }
    return first + "\r\r" + rejected.folder + "\r\r" + looked_for;
}

NamedFolders::NamedFolders(const std::vector<NamedFolder>& named, const Holds& holds) {
    for (const NamedFolder& one : named) {
        if (one.folder.empty()) {
            rejected_.push_back(RejectedFolder{one.given, one.problem});
            continue;
        }
        bool any = false;
        for (const GameMark& mark : game_marks) {
            if (!holds(one.folder, mark)) continue;
            any = true;
            if (!folder_for(mark.key_path)) found_.emplace_back(&mark, one.folder);
        }
        if (!any) rejected_.push_back(RejectedFolder{one.given, FolderProblem::no_game});
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
