#pragma once
// Which folder pair a pass works on: the persistent pair, the hand-over pair, a shortcut file's pair.
#include <optional>
#include <string>

#include "app/command_line.h"

namespace app {

inline constexpr const char* kNoFolder = "none";
// What both folder fields show in multi-directory mode: a placeholder, never a folder.
inline constexpr const char* kMultiPlaceholder = "Multi";

struct StoredPairs {
    std::string local, remote;    // persistent pair
    std::string slocal, sremote;  // hand-over pair, used once
};

struct PairChoice {
    FolderPair pair;
    bool disableLoad = false;  // the persistent pair is incomplete
};

// keptEdits: the folder edits' texts when they win (a shortcut file was loaded into them, or the
// multi-directory run placed a pair there).
PairChoice ChooseFolderPair(StoredPairs stored, const std::optional<FolderPair>& keptEdits);

// One trailing backslash goes: "C:\Data\" is used as "C:\Data", a drive root "C:\" as "C:".
std::string WithoutTrailingBackslash(std::string path);

// A side without a folder: "none", the multi-directory placeholder or empty text.
bool IsNoFolder(const std::string& folder);

}  // namespace app
