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

}  // namespace

std::string PairMemoryFolder() { return platform::LocalDataFolder() + "\\Mirravel\\Pairs"; }

MemoryRead ReadPairMemory(std::string_view first, std::string_view second, engine::PairMemory& memory) {
    std::string bytes;
    switch (platform::ReadWholeFile(PairMemoryFolder() + "\\" + engine::PairMemoryFileName(first, second), bytes)) {
    case platform::ReadStatus::Missing: return MemoryRead::None;
    case platform::ReadStatus::Failed: return MemoryRead::Damaged;
    case platform::ReadStatus::Ok: break;
    }
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
    auto plan = std::make_unique<PlanMemory>();
    plan->first = first;
    plan->second = second;
    switch (ReadPairMemory(first, second, plan->use.memory)) {
    case MemoryRead::Read: plan->use.remembered = true; break;
    case MemoryRead::Damaged: plan->unreadable = true; break;
    case MemoryRead::None: break;
    }
    return plan;
}

std::string MemoryPanelText(const PlanMemory& plan) {
    const engine::MemoryUse& use = plan.use;
    std::string text;
    auto add = [&](const std::string& part) { text += (text.empty() ? "" : "; ") + part; };
    if (!use.conflicts.empty()) add(Counted(use.conflicts.size(), " item", " items") + " changed on both sides: see Ignore Items");
    if (!use.deletedChanged.empty())
        add(Counted(use.deletedChanged.size(), " item", " items") + " deleted on one side and changed on the other: copied back");
    if (plan.unreadable) add("the memory of the last Sync could not be read");
    return text;
}

std::vector<std::string> MemoryReportLines(const PlanMemory& plan) {
    std::vector<std::string> lines;
    if (plan.unreadable)
        lines.push_back("The memory of the last Sync of this folder pair could not be read: planned without it");
    for (const std::string& path : plan.use.conflicts)
        lines.push_back("Changed on both sides since the last Sync, left in Ignore Items: " + path);
    for (const engine::MemoryUse::Kept& kept : plan.use.deletedChanged)
        lines.push_back("Deleted in the " + SideName(kept.side == engine::Side::First ? engine::Side::Second : engine::Side::First) +
                        " and changed in the " + SideName(kept.side) + " since the last Sync, copied back: " + kept.path);
    return lines;
}

}  // namespace app
