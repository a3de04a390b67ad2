#pragma once
// Where each folder pair's memory is kept: %LOCALAPPDATA%\Mirravel\Pairs, one file a pair.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/pair_memory.h"

namespace app {

// The memory a Load planned with, kept with its pair for the Sync that follows.
struct PlanMemory {
    std::string first, second;
    engine::MemoryUse use;
    bool unreadable = false;
    bool olderVersion = false;         // written by an older version: set aside this once
    bool otherVolume[2] = {false, false};  // the First, the Second Folder is not on the volume remembered
};

enum class MemoryRead { None, Read, Damaged, OlderVersion };

std::string PairMemoryFolder();
// A memory that cannot be read (damaged, cut short, another pair's) reads as Damaged, never throws.
MemoryRead ReadPairMemory(std::string_view first, std::string_view second, engine::PairMemory& memory);
// Written beside and put in place in one step: never a half-written memory.
bool WritePairMemory(std::string_view first, std::string_view second, const engine::PairMemory& memory);

void ForgetPairMemory(std::string_view first, std::string_view second);

// The memory for a Load of the pair, read. A memory made when a folder was on another volume than now
// (another stick under the same drive letter) is set aside: planned without, and written anew after.
std::unique_ptr<PlanMemory> StartPlanMemory(std::string_view first, std::string_view second);
// The same with the volumes the folders are on now (platform::VolumeIdentity).
std::unique_ptr<PlanMemory> StartPlanMemory(std::string_view first, std::string_view second,
                                            std::uint64_t firstVolume, std::uint64_t secondVolume);
// What the memory planned that the user should know: a line for status panel 0, and the report's
// lines, one an item.
std::string MemoryPanelText(const PlanMemory& plan);
std::vector<std::string> MemoryReportLines(const PlanMemory& plan);

}  // namespace app
