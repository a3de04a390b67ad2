#include "app/folder_pair.h"

namespace app {

std::string WithoutTrailingBackslash(std::string path) {
    if (!path.empty() && path.back() == '\\') path.pop_back();
    return path;
}

bool IsNoFolder(const std::string& folder) {
    return folder.empty() || folder == kNoFolder || folder == kMultiPlaceholder;
}

PairChoice ChooseFolderPair(StoredPairs stored, const std::optional<FolderPair>& keptEdits) {
    // An earlier version stored the placeholder when a field showing it was left: it names no folder.
    for (std::string* value : {&stored.local, &stored.remote, &stored.slocal, &stored.sremote})
        if (*value == kMultiPlaceholder) value->clear();
    PairChoice choice;
    choice.pair.first = stored.local.empty() ? kNoFolder : stored.local;
    choice.pair.second = stored.remote.empty() ? kNoFolder : stored.remote;
    choice.disableLoad = choice.pair.first == kNoFolder || choice.pair.second == kNoFolder;
    if (!stored.slocal.empty()) choice.pair.first = stored.slocal;
    if (!stored.sremote.empty()) choice.pair.second = stored.sremote;
    if (keptEdits) choice.pair = *keptEdits;
    for (std::string* side : {&choice.pair.first, &choice.pair.second})
        if (*side == kMultiPlaceholder) *side = kNoFolder;
    choice.pair.first = WithoutTrailingBackslash(choice.pair.first);
    choice.pair.second = WithoutTrailingBackslash(choice.pair.second);
    return choice;
}

}  // namespace app
