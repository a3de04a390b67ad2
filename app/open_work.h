#pragma once
// The work that runs cut off (a crash, a power cut, a killed program) left beside the items, as their
// journals tell it: finished before a folder is read again, so a half-done step never looks like a
// change of the user's, and the files this program made are known for what they are.
#include <memory>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "platform/file_ops.h"

namespace app {

struct OpenWorkSummary {
    // The work files that still stand anywhere (name keys of full paths): of runs still at work, or of
    // folders not read now. The scan passes over them.
    std::shared_ptr<std::unordered_set<std::string>> workFiles;
    int finished = 0;                 // steps settled below the folders
    std::vector<std::string> keptAs;  // contents kept beside their places under readable names
};

// Settles the open work of ended or cut-off runs whose items lie below one of roots (nothing elsewhere
// is touched) and tells their journals what came of it.
OpenWorkSummary SettleOpenWork(platform::FileOps& files, std::string_view reportFolder,
                               const std::vector<std::string>& roots);

}  // namespace app
