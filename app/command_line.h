#pragma once
// The program's command line: a shortcut file, a start-mode switch, or a switch with a folder pair.
#include <optional>
#include <string>
#include <vector>

namespace app {

enum class StartMode { None = 0, Wizard = 1, AutoSingle = 2, AutoMulti = 3 };

struct FolderPair {
    std::string first;   // First Folder
    std::string second;  // Second Folder
    bool operator==(const FolderPair&) const = default;
};

struct CommandLine {
    StartMode mode = StartMode::None;
    std::string shortcutPath;              // trimmed and upper-cased; empty when none
    std::optional<FolderPair> handover;    // for "slocal" / "sremote", lower-cased
    size_t argumentCount = 0;              // any argument counts for the automatic Load
    std::string firstArgument;             // as given; a Sync closes the program only after "-wiz"
    bool undo = false;                     // "-undo": undo the last Sync without a question, then end
};

// Arguments without the program name, as the platform split them.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

}  // namespace app
