// Times the engine steps on real folders or on lists made in memory; bench/run compares the
// results with peer tools.
//
//   mirv_bench scan-eval FIRST SECOND   scan both folders, sort, evaluate
//   mirv_bench scan-eval-memory FIRST SECOND
//                                       the same with the pair's memory of its last Sync read before
//                                       the evaluation and written after it (XDG_DATA_HOME's folder)
//   mirv_bench sync FIRST SECOND        the same, then carry out the add and update lists
//   mirv_bench sync-journal FIRST SECOND REPORTS
//                                       the same with the journal the program keeps written into REPORTS
//   mirv_bench sync-recycle FIRST SECOND REPORTS
//                                       the same with the old copies to the Recycle Bin as well
//   mirv_bench sync-delete FIRST SECOND REPORTS
//                                       the same with every one-sided item on a delete list instead,
//                                       old copies and deleted files to the Recycle Bin, a journal
//                                       written into REPORTS
//   mirv_bench undo REPORTS             undo the Sync whose journal is the newest in REPORTS
//   mirv_bench eval-synthetic N         evaluate two lists of N entries each, made in memory
//   mirv_bench rename-sync WORK N       a folder of N files in WORK/A copied into WORK/B by a Sync with the
//                                       pair's memory (XDG_DATA_HOME's folder), then renamed in A and
//                                       synced again: both Syncs timed
//
// Each mode prints "name: value" lines; "seconds" is the time of the engine steps alone.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "app/pair_memory_store.h"
#include "app/sync_journal.h"
#include "app/sync_report.h"
#include "engine/delete.h"
#include "engine/evaluate.h"
#include "engine/lists.h"
#include "engine/memory_pass.h"
#include "engine/pair_memory.h"
#include "engine/run_view.h"
#include "engine/scan.h"
#include "engine/totals.h"
#include "engine/undo.h"
#include "engine/update.h"
#include "platform/file_ops.h"
#include "platform/file_system.h"
#include "platform/recycle_bin.h"

namespace {

// A window that never asks the user to wait: no stop, and Yes to a forced update.
class QuietView : public engine::RunView {
public:
    void SetStepCaption(std::string_view) override {}
    void SetProgress(int) override {}
    void ProcessMessages() override {}
    bool StopRequested() const override { return false; }
    bool AskYesNo(std::string_view, Default) override {
        ++questions;
        return true;
    }
    void Warn(std::string_view) override { ++warnings; }

    int questions = 0, warnings = 0;
};

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void PrintCounts(const engine::SyncLists& lists) {
    std::cout << "items: " << lists.lvLocal.size() + lists.lvRemote.size() << '\n'
              << "first_items: " << lists.lvLocal.size() << '\n'
              << "second_items: " << lists.lvRemote.size() << '\n'
              << "add_to_first: " << lists.lFileAdd1.size() << '\n'
              << "add_to_second: " << lists.rFileAdd1.size() << '\n'
              << "update_first: " << lists.lUpdate1.size() << '\n'
              << "update_second: " << lists.rUpdate1.size() << '\n';
}

struct Phases {
    double scan = 0, evaluate = 0;  // scan: both sides scanned and sorted side by side
};

// A Load of one folder pair with "Use Subdirectories" on and no filters.
// plan, when given, receives the pair's memory, read between the scan and the evaluation as a Load
// reads it, and planned with.
Phases Load(platform::FileOps& files, std::string_view first, std::string_view second, engine::SyncLists& lists,
            engine::ByteTotals& totals, QuietView& view, std::unique_ptr<app::PlanMemory>* plan = nullptr) {
    engine::ScanOptions options;
    options.useSubfolders = true;
    lists.Clear();
    lists.lvLocal.SetSorted(false);
    lists.lvRemote.SetSorted(false);
    Phases phases;
    auto start = Clock::now();
    // As a Load does it: each side scanned and sorted on a thread of its own.
    engine::ScanAndSortPair(files,
                            {std::string(first) + "\\*.*", std::string(first), std::string(second) + "\\*.*",
                             std::string(second)},
                            options, lists, totals);
    phases.scan = SecondsSince(start);
    start = Clock::now();
    if (plan) *plan = app::StartPlanMemory(first, second);
    engine::EvaluateWithMemory(lists, false, totals, view, false, plan ? &(*plan)->use : nullptr);
    phases.evaluate = SecondsSince(start);
    return phases;
}

void PrintPhases(const Phases& phases) {
    std::cout << "scan_seconds: " << phases.scan << '\n'
              << "evaluate_seconds: " << phases.evaluate << '\n';
}

int ScanEval(std::string_view first, std::string_view second) {
    engine::SyncLists lists;
    engine::ByteTotals totals;
    QuietView view;
    const auto start = Clock::now();
    const Phases phases = Load(platform::SystemFileOps(), first, second, lists, totals, view);
    const double seconds = SecondsSince(start);
    PrintCounts(lists);
    PrintPhases(phases);
    std::cout << "seconds: " << seconds << '\n';
    return 0;
}

// A Load with the option to remember each Sync: the memory read, used, and written as a pass in
// step writes it.
int ScanEvalMemory(std::string_view first, std::string_view second) {
    engine::SyncLists lists;
    engine::ByteTotals totals;
    QuietView view;
    const auto start = Clock::now();
    std::unique_ptr<app::PlanMemory> plan;
    const Phases phases = Load(platform::SystemFileOps(), first, second, lists, totals, view, &plan);
    const bool written = app::WritePairMemory(first, second, plan->use.memory);
    const double seconds = SecondsSince(start);
    PrintCounts(lists);
    PrintPhases(phases);
    std::cout << "remembered: " << plan->use.memory.size() << '\n' << "seconds: " << seconds << '\n';
    return written ? 0 : 1;
}

// recycle: old copies go to the platform's Recycle Bin (natively the desktop trash under XDG_DATA_HOME).
// reports: where the journal goes, as the program writes it ("" for none).
int Sync(std::string_view first, std::string_view second, bool recycle, const std::string& reports = {}) {
    engine::SyncLists lists;
    engine::ByteTotals totals;
    QuietView view;
    platform::FileOps& files = platform::SystemFileOps();
    const auto start = Clock::now();
    const Phases phases = Load(files, first, second, lists, totals, view);
    const auto copyStart = Clock::now();
    std::optional<app::SyncReport> journal;
    if (!reports.empty()) {
        journal.emplace(platform::CurrentLocalTime(), reports, false);
        journal->BeginPair(first, second);
    }
    const engine::SyncOptions options{recycle ? &platform::SystemRecycleBin() : nullptr, journal ? &*journal : nullptr};
    const int notDone = engine::UpdateItems(files, lists, first, second, view, options).failed;
    if (journal) journal->End(platform::CurrentLocalTime());
    const double copySeconds = SecondsSince(copyStart);
    const double seconds = SecondsSince(start);
    PrintCounts(lists);
    PrintPhases(phases);
    std::cout << "copy_seconds: " << copySeconds << '\n';
    std::cout << "not_done: " << notDone << '\n'
              << "questions: " << view.questions << '\n'
              << "warnings: " << view.warnings << '\n'
              << "seconds: " << seconds << '\n';
    return notDone == 0 ? 0 : 1;
}

// A Sync that replaces the older copies and deletes what is on one side only, as after the user's
// Delete on every add entry: the removed contents go to the Recycle Bin, the journal into reports.
int SyncDelete(std::string_view first, std::string_view second, const std::string& reports) {
    engine::SyncLists lists;
    engine::ByteTotals totals;
    QuietView view;
    platform::FileOps& files = platform::SystemFileOps();
    const auto start = Clock::now();
    Load(files, first, second, lists, totals, view);
    for (auto [from, to, code] : {std::tuple{&lists.lFileAdd1, &lists.rdelfile1, " 1"},
                                  std::tuple{&lists.rFileAdd1, &lists.ldelfile1, " 2"}}) {
        for (size_t i = 0; i < from->size(); ++i) to->Add((*from)[i].text + code, (*from)[i].folder);
        from->Clear();
    }
    const auto syncStart = Clock::now();
    app::SyncReport report(platform::CurrentLocalTime(), reports);
    report.BeginPair(first, second);
    const engine::SyncOptions options{&platform::SystemRecycleBin(), &report, true};
    engine::Removal removal(files, options, view, first, second);
    engine::UpdateItems(files, lists, first, second, view, removal);
    engine::PrepareDeletion(lists, view, options);
    engine::DeleteItems(files, lists, first, second, view, removal);
    removal.Finish();
    report.End(platform::CurrentLocalTime());
    app::SaveReport(files, reports, report);
    std::cout << "sync_seconds: " << SecondsSince(syncStart) << '\n'
              << "not_done: " << removal.Counts().failed << '\n'
              << "seconds: " << SecondsSince(start) << '\n';
    return removal.Counts().failed == 0 ? 0 : 1;
}

int Undo(const std::string& reports) {
    platform::FileOps& files = platform::SystemFileOps();
    QuietView view;
    const auto start = Clock::now();
    std::optional<std::string> journalPath = app::UndoableJournal(files, reports);
    std::string text;
    if (!journalPath || platform::ReadWholeFile(*journalPath, text) != platform::ReadStatus::Ok) return 1;
    std::optional<app::Journal> journal = app::ParseJournal(text);
    if (!journal) return 1;
    engine::UndoCounts counts =
        engine::UndoSync(files, journal->pairs, view, {&platform::SystemRecycleBin(), nullptr, true}, nullptr);
    std::cout << "undone: " << counts.undone << '\n'
              << "not_undone: " << counts.notUndone << '\n'
              << "seconds: " << SecondsSince(start) << '\n';
    return counts.notUndone == 0 ? 0 : 1;
}

// Two lists shaped like the generated trees: 100 files a folder, 1% one-sided on each side,
// 1% newer on each side. Only the evaluation is timed.
int EvalSynthetic(std::uint64_t count) {
    // Slots of four kinds, 1% of count each, the rest equal: each side gets exactly count entries.
    enum Kind : std::uint8_t { Same, SecondOnly, FirstOnly, FirstNewer, SecondNewer };
    const std::uint64_t differing = std::max<std::uint64_t>(1, count / 100);
    std::vector<Kind> kinds(count + differing, Same);
    for (std::uint64_t i = 0; i < differing; ++i) {
        kinds[i] = SecondOnly;
        kinds[differing + i] = FirstOnly;
        kinds[2 * differing + i] = FirstNewer;
        kinds[3 * differing + i] = SecondNewer;
    }
    std::shuffle(kinds.begin(), kinds.end(), std::mt19937_64(1998));

    engine::SyncLists lists;
    const std::uint32_t older = (44u << 25) | (3u << 21) | (1u << 16) | (9u << 11);
    const std::uint32_t newer = older + (2u << 11);
    char path[96];
    for (std::uint64_t slot = 0; slot < kinds.size(); ++slot) {
        std::snprintf(path, sizeof path, "Group%02llu\\Folder%04llu\\File%06llu.txt",
                      static_cast<unsigned long long>(slot / 5000), static_cast<unsigned long long>(slot / 100),
                      static_cast<unsigned long long>(slot));
        const engine::ByteCount size = static_cast<engine::ByteCount>(64 + slot % 2000);
        const Kind kind = kinds[slot];
        if (kind != SecondOnly) lists.lvLocal.Append(path, false, kind == FirstNewer ? newer : older, 0, size);
        if (kind != FirstOnly) lists.lvRemote.Append(path, false, kind == SecondNewer ? newer : older, 0, size);
    }
    lists.lvLocal.SetSorted(true);
    lists.lvRemote.SetSorted(true);

    engine::ByteTotals totals;
    QuietView view;
    const auto start = Clock::now();
    engine::EvaluateFolders(lists, false, totals, view);
    const double seconds = SecondsSince(start);
    PrintCounts(lists);
    std::cout << "seconds: " << seconds << '\n';
    return 0;
}

class KeptRecords final : public engine::SyncLog {
public:
    void Record(const engine::ItemRecord& record) override { records.push_back(record); }
    std::vector<engine::ItemRecord> records;
};

// Load, Sync and the memory kept, as an unattended Sync with the option to remember each Sync runs them.
double SyncWithMemory(const std::string& first, const std::string& second) {
    platform::FileOps& files = platform::SystemFileOps();
    engine::SyncLists lists;
    engine::ByteTotals totals;
    QuietView view;
    const auto start = Clock::now();
    std::unique_ptr<app::PlanMemory> plan;
    Load(files, first, second, lists, totals, view, &plan);
    KeptRecords kept;
    const engine::SyncOptions options{nullptr, &kept, true};
    engine::Removal removal(files, options, view, first, second);
    engine::UpdateItems(files, lists, first, second, view, removal);
    engine::PrepareDeletion(lists, view, options);
    engine::DeleteItems(files, lists, first, second, view, removal);
    removal.Finish();
    plan->use.memory.Apply(kept.records, lists.lvLocal, lists.lvRemote);
    app::WritePairMemory(first, second, plan->use.memory);
    return removal.Counts().failed == 0 ? SecondsSince(start) : -1;
}

int RenameSync(const std::string& work, int count) {
    const std::string first = work + "/A", second = work + "/B";
    std::filesystem::remove_all(work);
    std::filesystem::create_directories(first + "/Photos 2025");
    std::filesystem::create_directories(second);
    for (int i = 0; i < count; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "/Photos 2025/img%05d.jpg", i);
        std::ofstream(first + name, std::ios::binary) << std::string(64 + i % 2000, 'p');
    }
    const double copySeconds = SyncWithMemory(first, second);
    std::filesystem::rename(first + "/Photos 2025", first + "/2025 Photos");
    const double renameSeconds = SyncWithMemory(first, second);
    const bool renamed = !std::filesystem::exists(second + "/Photos 2025") &&
                         std::distance(std::filesystem::directory_iterator(second + "/2025 Photos"), {}) == count;
    std::cout << "copy_sync_seconds: " << copySeconds << '\n'
              << "rename_sync_seconds: " << renameSeconds << '\n'
              << "renamed: " << (renamed ? "yes" : "no") << '\n';
    return copySeconds >= 0 && renameSeconds >= 0 && renamed ? 0 : 1;
}

int Usage() {
    std::cerr << "usage: mirv_bench scan-eval FIRST SECOND | scan-eval-memory FIRST SECOND | sync FIRST SECOND | sync-journal FIRST SECOND REPORTS | "
                 "sync-recycle FIRST SECOND REPORTS | "
                 "sync-delete FIRST SECOND REPORTS | undo REPORTS | eval-synthetic N | rename-sync WORK N\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    const std::string_view mode = argv[1];
    if (mode == "scan-eval" && argc == 4) return ScanEval(argv[2], argv[3]);
    if (mode == "scan-eval-memory" && argc == 4) return ScanEvalMemory(argv[2], argv[3]);
    if (mode == "sync" && argc == 4) return Sync(argv[2], argv[3], false);
    if (mode == "sync-journal" && argc == 5) return Sync(argv[2], argv[3], false, argv[4]);
    if (mode == "sync-recycle" && argc == 5) return Sync(argv[2], argv[3], true, argv[4]);
    if (mode == "sync-delete" && argc == 5) return SyncDelete(argv[2], argv[3], argv[4]);
    if (mode == "undo" && argc == 3) return Undo(argv[2]);
    if (mode == "rename-sync" && argc == 4) {
        const int count = std::atoi(argv[3]);
        return count > 0 ? RenameSync(argv[2], count) : Usage();
    }
    if (mode == "eval-synthetic" && argc == 3) {
        const unsigned long long count = std::strtoull(argv[2], nullptr, 10);
        return count > 0 ? EvalSynthetic(count) : Usage();
    }
    return Usage();
}
