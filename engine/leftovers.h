#pragma once
// Finishing the work a cut-off run left beside the items (a crash, a power cut, a killed program), from
// what its journal announced before the work began: half copies go, a copy that was complete takes the
// place its old content had already left, and a second name that held a content while the shell worked
// is taken away once the content is safe. Nothing is lost on the way: a content that only a work name
// still holds goes back to its place, or, where that place is taken, stays beside it under a name the
// user can read.
#include <optional>
#include <string>

#include "engine/sync_log.h"
#include "platform/clock.h"
#include "platform/file_ops.h"

namespace engine {

struct OpenWork {
    WorkIntent intent;
    std::string root;            // the folder of the intent's side
    platform::FileTime told = 0;  // when the intent was written
};

struct SettledWork {
    // What the work came to, when it had done what it set out to: the record its journal lacks.
    std::optional<ItemRecord> record;
    // A content kept beside its place under a readable name ("" when none).
    std::string keptAs;
};

SettledWork SettleWork(platform::FileOps& files, const OpenWork& work);

// The names of the work's files, full paths ("" where it has none).
std::string TemporaryOf(const OpenWork& work);
std::string SecondNameOf(const OpenWork& work);

}  // namespace engine
