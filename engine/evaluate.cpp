#include "engine/evaluate.h"

#include <string>
#include <vector>

#include "engine/caption_index.h"
#include "engine/pair_memory.h"

namespace engine {

namespace {

// The progress bar as the share of entries looked up; only changes are passed to the window.
class Progress {
public:
    Progress(RunView& view, size_t total) : view_(view), total_(total) {}
    void Show(size_t done) {
        int percent = static_cast<int>(done * 100 / total_);
        if (percent != shown_) view_.SetProgress(shown_ = percent);
    }

private:
    RunView& view_;
    size_t total_;
    int shown_ = 0;
};

void Schedule(ResultList& list, ByteCount& total, const ItemList& items, size_t i) {
    // A folder link is never planned: the other side would get an empty real folder in its place. The
    // scan tells of the links it passed over.
    if (items.Link(i)) return;
    list.Add(ResultEntry{std::string(items.PathAsFound(i)), items.Size(i), items.Folder(i)});
    total += items.Size(i);
}

// Codes of the coded lists: the add or update list an entry would otherwise be in.
constexpr const char* kFromFirstAdd = " 1";   // lFileAdd1
constexpr const char* kFromSecondAdd = " 2";  // rFileAdd1
constexpr const char* kFromFirstUpdate = " 5";
constexpr const char* kFromSecondUpdate = " 6";

// A folder link is never planned, as in Schedule.
void Coded(CodedList& list, const ItemList& items, size_t i, const char* code) {
    if (!items.Link(i)) list.Add(std::string(items.PathAsFound(i)) + code, items.Folder(i));
}

void EvaluateBoth(SyncLists& lists, bool mirrorLocal, ByteTotals& totals, RunView& view, bool ignoreHour,
                  MemoryUse* use) {
    const ItemList& local = lists.lvLocal;
    const ItemList& remote = lists.lvRemote;
    const PairMemory* memory = use && use->remembered ? &use->memory : nullptr;
    view.SetStepCaption("Evaluating Files");
    view.SetProgress(0);
    Progress progress(view, local.size() + remote.size());
    size_t done = 0;

    CaptionIndex localIndex(local, [&] { view.ProcessMessages(); });
    // Which local keys the Second Folder has: the First Folder pass needs no index of its own.
    std::vector<bool> matched(local.size());
    std::string key;
    for (size_t i = 0; i < remote.size(); ++i) {
        progress.Show(done);
        std::string_view caption = remote.Caption(i);
        if (!IsAscii(caption)) caption = key = NameKey(caption);
        size_t l = localIndex.Find(caption, remote.Folder(i));
        ++done;
        if (i % 100 == 0) {
            progress.Show(done);
            view.ProcessMessages();
        }
        // What was remembered of the item: asked only where the two sides differ.
        auto remembered = [&]() -> const PairMemory::Item* {
            return memory ? memory->Find(PairMemory::KeyOf(caption, remote.Folder(i))) : nullptr;
        };
        if (l != kNone) {
            matched[l] = true;
            if (view.StopRequested()) break;
            int order =
                platform::CompareItemTimes(remote.Time(i), remote.LastWrite(i), local.Time(l), local.LastWrite(l));
            if (order != 0 && ignoreHour && OneHourApart(remote.LastWrite(i), local.LastWrite(l))) order = 0;
            if (order == 0) {
                if (use) use->memory.Remember(PairMemory::Of(local, l));
                continue;
            }
            const PairMemory::Item* m = remembered();
            if (m) use->memory.Keep(m);
            // Changed on both sides since the last Sync: neither copy wins by its time alone.
            if (m && !PairMemory::Unchanged(remote, i, *m, ignoreHour) && !PairMemory::Unchanged(local, l, *m, ignoreHour)) {
                const ItemList& newer = order > 0 ? remote : local;
                size_t at = order > 0 ? i : l;
                const char* code = order > 0 ? kFromFirstUpdate : kFromSecondUpdate;
                Coded(lists.lignfile1, newer, at, code);
                Coded(lists.rignfile1, newer, at, code);
                use->conflicts.emplace_back(newer.PathAsFound(at));
            } else if (order > 0) {
                if (!mirrorLocal) Schedule(lists.lUpdate1, totals.local.update, remote, i);
            } else {
                Schedule(lists.rUpdate1, totals.remote.update, local, l);
            }
        } else {
            const PairMemory::Item* m = remembered();
            if (m) use->memory.Keep(m);
            // In step after the last Sync and as it was since: deleted in the First Folder meanwhile.
            if (m && PairMemory::Unchanged(remote, i, *m, ignoreHour)) {
                Coded(lists.rdelfile1, remote, i, kFromFirstAdd);
                continue;
            }
            if (m) use->deletedChanged.push_back({Side::Second, std::string(remote.PathAsFound(i))});
            if (!mirrorLocal) Schedule(lists.lFileAdd1, totals.local.add, remote, i);
        }
    }
    // The first pass ran to its end unless a stop was requested, so every match is known.
    if (view.StopRequested()) return;
    for (size_t i = 0; i < local.size(); ++i) {
        progress.Show(done);
        bool hasCounterpart = matched[localIndex.FirstOf(i)];
        ++done;
        if (i % 100 == 0) {
            progress.Show(done);
            view.ProcessMessages();
        }
        if (hasCounterpart) continue;
        const PairMemory::Item* m = memory ? memory->Find(PairMemory::KeyOf(local.Caption(i), local.Folder(i))) : nullptr;
        if (m) use->memory.Keep(m);
        // Deleted in the Second Folder meanwhile; a mirror copies it back, as it copies everything there.
        if (m && !mirrorLocal && PairMemory::Unchanged(local, i, *m, ignoreHour)) {
            Coded(lists.ldelfile1, local, i, kFromSecondAdd);
            continue;
        }
        if (m && !mirrorLocal) use->deletedChanged.push_back({Side::First, std::string(local.PathAsFound(i))});
        Schedule(lists.rFileAdd1, totals.remote.add, local, i);
    }
    if (use) use->complete = true;
}

}  // namespace

bool OneHourApart(platform::FileTime a, platform::FileTime b) {
    constexpr platform::FileTime kHour = 36'000'000'000, kTwoSeconds = 20'000'000;
    platform::FileTime apart = a > b ? a - b : b - a;
    return apart > kHour - kTwoSeconds && apart < kHour + kTwoSeconds;
}

void EvaluateFolders(SyncLists& lists, bool mirrorLocal, ByteTotals& totals, RunView& view, bool ignoreHour,
                     MemoryUse* memory) {
    const ItemList& local = lists.lvLocal;
    const ItemList& remote = lists.lvRemote;
    if (memory) memory->memory.BeginEvaluation();
    if (local.empty() != remote.empty() && memory) {
        // A side found empty may be a drive not there: nothing is deleted for what it lacks, and what
        // was remembered of the other side's items stays for a later Sync.
        const ItemList& full = local.empty() ? remote : local;
        if (memory->remembered)
            for (size_t i = 0; i < full.size(); ++i)
                if (auto m = memory->memory.Find(PairMemory::Of(full, i).key)) memory->memory.Keep(m);
        memory->complete = true;
    }
    if (local.empty() && !remote.empty()) {
        if (!mirrorLocal) {
            lists.lFileAdd1.Clear();
            for (size_t i = 0; i < remote.size(); ++i) Schedule(lists.lFileAdd1, totals.local.add, remote, i);
        }
    } else if (remote.empty() && !local.empty()) {
        lists.rFileAdd1.Clear();
        for (size_t i = 0; i < local.size(); ++i) Schedule(lists.rFileAdd1, totals.remote.add, local, i);
    } else if (!local.empty() && !remote.empty()) {
        EvaluateBoth(lists, mirrorLocal, totals, view, ignoreHour, memory);
    } else if (memory) {
        memory->complete = true;
    }
    if (memory) memory->memory.Seal();
    view.SetStepCaption("Current Process");
    view.SetProgress(0);
}

}  // namespace engine
