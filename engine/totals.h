#pragma once
// The ten byte totals shown under the lists: one per side for each page.
#include "engine/lists.h"

namespace engine {

struct SideTotals {
    ByteCount item = 0;    // the item list (page "Item List")
    ByteCount add = 0;     // the add list of this side
    ByteCount update = 0;  // the update list of this side
    ByteCount del = 0;     // never accumulated
    ByteCount ignore = 0;  // never accumulated
};

struct ByteTotals {
    SideTotals local;   // First Folder
    SideTotals remote;  // Second Folder
};

}  // namespace engine
