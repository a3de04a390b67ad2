#include "engine/evaluate.h"

#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/name_key.h"

namespace engine {

namespace {

constexpr size_t kNone = static_cast<size_t>(-1);

// An open-addressing hash index over the name keys of one item list. Captions are upper-cased
// already, so an ASCII caption is its own key; only the rare others are folded and kept.
class CaptionIndex {
public:
    explicit CaptionIndex(const ItemList& list) : list_(list), nonAscii_(list.size()) {
        size_t capacity = 16;
        while (capacity < 2 * list.size()) capacity <<= 1;
        slots_.assign(capacity, 0);
        mask_ = capacity - 1;
        for (size_t i = 0; i < list.size(); ++i) {
            std::string_view caption = list.Caption(i);
            if (!IsAscii(caption)) {
                nonAscii_[i] = true;
                folded_.emplace(i, NameKey(caption));
            }
            std::string_view key = KeyOf(i);
            size_t hash = std::hash<std::string_view>{}(key);
            size_t pos = Probe(key, hash);
            if (slots_[pos]) duplicateOf_.emplace(i, Index(slots_[pos]));  // the first in list order wins
            else slots_[pos] = (Tag(hash) << 32) | (i + 1);
        }
    }

    // The first entry whose key is key; kNone when there is none.
    size_t Find(std::string_view key) const {
        std::uint64_t slot = slots_[Probe(key, std::hash<std::string_view>{}(key))];
        return slot ? Index(slot) : kNone;
    }

    // The entry that Find returns for entry i's key.
    size_t FirstOf(size_t i) const {
        if (duplicateOf_.empty()) return i;
        auto it = duplicateOf_.find(i);
        return it == duplicateOf_.end() ? i : it->second;
    }

private:
    static std::uint64_t Tag(size_t hash) { return static_cast<std::uint64_t>(hash) >> 32; }
    static size_t Index(std::uint64_t slot) { return static_cast<size_t>((slot & 0xFFFFFFFF) - 1); }

    std::string_view KeyOf(size_t i) const { return nonAscii_[i] ? folded_.at(i) : list_.Caption(i); }

    // The slot holding key, or the empty slot where it belongs.
    size_t Probe(std::string_view key, size_t hash) const {
        std::uint64_t tag = Tag(hash);
        for (size_t pos = hash & mask_;; pos = (pos + 1) & mask_) {
            std::uint64_t slot = slots_[pos];
            if (!slot || ((slot >> 32) == tag && KeyOf(Index(slot)) == key)) return pos;
        }
    }

    const ItemList& list_;
    std::vector<std::uint64_t> slots_;  // hash tag << 32 | index + 1; 0 is empty
    size_t mask_ = 0;
    std::vector<bool> nonAscii_;
    std::unordered_map<size_t, std::string> folded_;
    std::unordered_map<size_t, size_t> duplicateOf_;
};

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
    list.Add(ResultEntry{std::string(items.PathAsFound(i)), items.Size(i)});
    total += items.Size(i);
}

void EvaluateBoth(SyncLists& lists, bool mirrorLocal, ByteTotals& totals, RunView& view) {
    const ItemList& local = lists.lvLocal;
    const ItemList& remote = lists.lvRemote;
    view.SetStepCaption("Evaluating Files");
    view.SetProgress(0);
    Progress progress(view, local.size() + remote.size());
    size_t done = 0;

    CaptionIndex localIndex(local);
    // Which local keys the Second Folder has: the First Folder pass needs no index of its own.
    std::vector<bool> matched(local.size());
    std::string key;
    for (size_t i = 0; i < remote.size(); ++i) {
        progress.Show(done);
        std::string_view caption = remote.Caption(i);
        if (!IsAscii(caption)) caption = key = NameKey(caption);
        size_t l = localIndex.Find(caption);
        ++done;
        if (i % 100 == 0) {
            progress.Show(done);
            view.ProcessMessages();
        }
        if (l != kNone) {
            matched[l] = true;
            if (view.StopRequested()) break;
            // Unsigned: a later time is always the larger number.
            std::uint32_t remoteTime = remote.Time(i), localTime = local.Time(l);
            if (remoteTime > localTime) {
                if (!mirrorLocal) Schedule(lists.lUpdate1, totals.local.update, remote, i);
            } else if (remoteTime < localTime) {
                Schedule(lists.rUpdate1, totals.remote.update, local, l);
            }
        } else if (!mirrorLocal) {
            Schedule(lists.lFileAdd1, totals.local.add, remote, i);
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
        if (!hasCounterpart) Schedule(lists.rFileAdd1, totals.remote.add, local, i);
    }
}

}  // namespace

void EvaluateFolders(SyncLists& lists, bool mirrorLocal, ByteTotals& totals, RunView& view) {
    const ItemList& local = lists.lvLocal;
    const ItemList& remote = lists.lvRemote;
    if (local.empty() && !remote.empty()) {
        if (!mirrorLocal) {
            lists.lFileAdd1.Clear();
            for (size_t i = 0; i < remote.size(); ++i) Schedule(lists.lFileAdd1, totals.local.add, remote, i);
        }
    } else if (remote.empty() && !local.empty()) {
        lists.rFileAdd1.Clear();
        for (size_t i = 0; i < local.size(); ++i) Schedule(lists.rFileAdd1, totals.remote.add, local, i);
    } else if (!local.empty() && !remote.empty()) {
        EvaluateBoth(lists, mirrorLocal, totals, view);
    }
    view.SetStepCaption("Current Process");
    view.SetProgress(0);
}

}  // namespace engine
