#include "app/pair_memory_store.h"

#include "engine/file_helpers.h"
#include "platform/file_system.h"
#include "platform/append_file.h"
#include "platform/recycle_bin.h"
#include "platform/work_names.h"

namespace app {

namespace {

std::string Counted(size_t n, const char* one, const char* many) { return std::to_string(n) + (n == 1 ? one : many); }

std::string SideName(engine::Side side) { return side == engine::Side::First ? "First Folder" : "Second Folder"; }

engine::Side Other(engine::Side side) { return side == engine::Side::First ? engine::Side::Second : engine::Side::First; }

}  // namespace

std::string PairMemoryFolder() { return platform::LocalDataFolder() + "\\Mirravel\\Pairs"; }

MemoryRead ReadPairMemory(std::string_view first, std::string_view second, engine::PairMemory& memory) {
    std::string bytes;
    switch (platform::ReadWholeFile(PairMemoryFolder() + "\\" + engine::PairMemoryFileName(first, second), bytes)) {
    case platform::ReadStatus::Missing: return MemoryRead::None;
    case platform::ReadStatus::Failed: return MemoryRead::Damaged;
    case platform::ReadStatus::Ok: break;
    }
    if (engine::PairMemory::OlderVersion(bytes)) return MemoryRead::OlderVersion;
    std::optional<engine::PairMemory> read = engine::PairMemory::Decode(bytes, first, second);
    if (!read) return MemoryRead::Damaged;
    memory = std::move(*read);
    return MemoryRead::Read;
}

bool WritePairMemory(std::string_view first, std::string_view second, const engine::PairMemory& memory) {
    platform::FileOps& files = platform::SystemFileOps();
    std::string folder = PairMemoryFolder();
    engine::CreateFolderChain(files, folder);
    std::string path = folder + "\\" + engine::PairMemoryFileName(first, second);
    // Written beside, then put in the old one's place in one step: a cut-off write leaves the memory
    // before it. Not forced to the disk: a memory that a power cut left torn fails its check sum and
    // is read as none, with a word to the user, and the Load plans as without one.
    std::string temporary = folder + "\\" + platform::TemporaryCopyName();
    platform::AppendFile file;
    bool written = file.Open(temporary, true) &&
                   memory.Encode(first, second, [&](std::string_view piece) { return file.Append(piece); });
    file.Close();
    if (written && files.MoveReplacing(temporary, path)) return true;
    files.RemoveFile(temporary);
    return false;
}

void ForgetPairMemory(std::string_view first, std::string_view second) {
    platform::SystemFileOps().RemoveFile(PairMemoryFolder() + "\\" + engine::PairMemoryFileName(first, second));
}

std::unique_ptr<PlanMemory> StartPlanMemory(std::string_view first, std::string_view second) {
    return StartPlanMemory(first, second, platform::VolumeIdentity(first), platform::VolumeIdentity(second));
}

std::unique_ptr<PlanMemory> StartPlanMemory(std::string_view first, std::string_view second,
                                            std::uint64_t firstVolume, std::uint64_t secondVolume) {
    auto plan = std::make_unique<PlanMemory>();
    plan->first = first;
    plan->second = second;
    engine::PairMemory& memory = plan->use.memory;
    switch (ReadPairMemory(first, second, memory)) {
    case MemoryRead::Read:
        plan->otherVolume[0] = memory.Volume(engine::Side::First) != firstVolume;
        plan->otherVolume[1] = memory.Volume(engine::Side::Second) != secondVolume;
        // Another drive's memory would take what that drive lacks for deletions.
        if (plan->otherVolume[0] || plan->otherVolume[1]) memory = {};
        else plan->use.remembered = true;
        break;
    case MemoryRead::Damaged: plan->unreadable = true; break;
    case MemoryRead::OlderVersion: plan->olderVersion = true; break;
    case MemoryRead::None: break;
    }
    memory.SetVolumes(firstVolume, secondVolume);
    return plan;
}

namespace {

// "the Second Folder is not on the drive it was on at the last Sync"
std::string OtherVolumeText(const PlanMemory& plan) {
    std::string which = plan.otherVolume[0] && plan.otherVolume[1] ? "neither folder is"
                        : plan.otherVolume[0]                    ? "the First Folder is not"
                                                                 : "the Second Folder is not";
    return which + " on the drive it was on at the last Sync";
}

}  // namespace

std::string MemoryPanelText(const PlanMemory& plan) {
    const engine::MemoryUse& use = plan.use;
    std::string text;
    auto add = [&](const std::string& part) { text += (text.empty() ? "" : "; ") + part; };
    if (!use.conflicts.empty()) add(Counted(use.conflicts.size(), " item", " items") + " changed on both sides: see Ignore Items");
    if (!use.deletedChanged.empty())
        add(Counted(use.deletedChanged.size(), " item", " items") + " deleted on one side and changed on the other: copied back");
    if (!use.changedOlder.empty())
        add(Counted(use.changedOlder.size(), " item", " items") + " changed on one side to an older copy: copied across");
    if (!use.moves.empty())
        add(Counted(use.moves.size(), " item", " items") + " moved or renamed: see Add Items");
    if (!use.renamedBoth.empty())
        add(Counted(use.renamedBoth.size(), " item", " items") + " renamed differently on both sides: see Ignore Items");
    if (plan.unreadable) add("the memory of the last Sync could not be read");
    if (plan.olderVersion) add("the memory of the last Sync is an older version's: planned without it");
    if (plan.otherVolume[0] || plan.otherVolume[1]) add(OtherVolumeText(plan) + ": planned without its memory");
    return text;
}

std::vector<std::string> MemoryReportLines(const PlanMemory& plan) {
    std::vector<std::string> lines;
    if (plan.unreadable)
        lines.push_back("The memory of the last Sync of this folder pair could not be read: planned without it");
    if (plan.olderVersion)
        lines.push_back("The memory of the last Sync of this folder pair was written by an older version of the program, "
                        "which kept too little to delete by: planned without it, and written anew");
    if (plan.otherVolume[0] || plan.otherVolume[1])
        lines.push_back("In this folder pair " + OtherVolumeText(plan) + " (another drive under the same name): planned "
                        "without the memory of the last Sync, and remembered anew");
    for (const std::string& path : plan.use.conflicts)
        lines.push_back("Changed on both sides since the last Sync, left in Ignore Items: " + path);
    for (const engine::MemoryUse::Kept& kept : plan.use.deletedChanged)
        lines.push_back("Deleted in the " + SideName(Other(kept.side)) + " and changed in the " + SideName(kept.side) +
                        " since the last Sync, copied back: " + kept.path);
    for (const engine::MemoryUse::Move& renamed : plan.use.renamedBoth)
        lines.push_back("Renamed differently on both sides since the last Sync, both left in Ignore Items: " + renamed.from +
                        " in the First Folder, " + renamed.to + " in the Second Folder");
    for (const engine::MemoryUse::Kept& kept : plan.use.changedOlder)
        lines.push_back("Changed in the " + SideName(kept.side) + " alone since the last Sync, to an older copy than the " +
                        SideName(Other(kept.side)) + "'s, copied across: " + kept.path);
    return lines;
}

}  // namespace app
