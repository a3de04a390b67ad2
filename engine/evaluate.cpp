#include "engine/evaluate.h"

#include <string>
#include <vector>

#include "engine/caption_index.h"

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

void EvaluateBoth(SyncLists& lists, bool mirrorLocal, ByteTotals& totals, RunView& view, bool ignoreHour,
                  Counterparts& matched) {
    const ItemList& local = lists.lvLocal;
    const ItemList& remote = lists.lvRemote;
    view.SetStepCaption("Evaluating Files");
    view.SetProgress(0);
    Progress progress(view, local.size() + remote.size());
    size_t done = 0;

    CaptionIndex localIndex(local, [&] { view.ProcessMessages(); });
    // Which local keys the Second Folder has: the First Folder pass needs no index of its own.
    std::vector<bool> hasRemote(local.size());
    std::string key;
    matched.ofRemote.assign(remote.size(), Counterparts::kNone);
    matched.remoteJudged = remote.size();
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
        if (l != kNone) {
            hasRemote[l] = true;
            if (view.StopRequested()) {
                matched.remoteJudged = i;
                break;
            }
            matched.ofRemote[i] = static_cast<std::uint32_t>(l);
            int order = CompareCopies(remote, i, local, l, ignoreHour);
            if (order > 0) {
                if (!mirrorLocal) Schedule(lists.lUpdate1, totals.local.update, remote, i);
            } else if (order < 0) {
                Schedule(lists.rUpdate1, totals.remote.update, local, l);
            }
        } else if (!mirrorLocal) {
            Schedule(lists.lFileAdd1, totals.local.add, remote, i);
        }
    }
    // The first pass ran to its end unless a stop was requested, so every match is known.
    if (view.StopRequested()) return;
    matched.localMatched.resize(local.size());
    for (size_t i = 0; i < local.size(); ++i) {
        progress.Show(done);
        bool hasCounterpart = hasRemote[localIndex.FirstOf(i)];
        ++done;
        if (i % 100 == 0) {
            progress.Show(done);
            view.ProcessMessages();
        }
        matched.localMatched[i] = hasCounterpart;
        if (!hasCounterpart) Schedule(lists.rFileAdd1, totals.remote.add, local, i);
    }
    matched.localJudged = true;
}

}  // namespace

bool OneHourApart(platform::FileTime a, platform::FileTime b) {
    constexpr platform::FileTime kHour = 36'000'000'000, kTwoSeconds = 20'000'000;
    platform::FileTime apart = a > b ? a - b : b - a;
    return apart > kHour - kTwoSeconds && apart < kHour + kTwoSeconds;
}

int CompareCopies(const ItemList& a, size_t i, const ItemList& b, size_t j, bool ignoreHour) {
    int order = platform::CompareItemTimes(a.Time(i), a.LastWrite(i), b.Time(j), b.LastWrite(j));
    if (order != 0 && ignoreHour && OneHourApart(a.LastWrite(i), b.LastWrite(j))) order = 0;
    return order;
}

void EvaluateFolders(SyncLists& lists, bool mirrorLocal, ByteTotals& totals, RunView& view, bool ignoreHour,
                     Counterparts* matched) {
    const ItemList& local = lists.lvLocal;
    const ItemList& remote = lists.lvRemote;
    Counterparts found;
    if (local.empty() && !remote.empty()) {
        if (!mirrorLocal) {
            lists.lFileAdd1.Clear();
            for (size_t i = 0; i < remote.size(); ++i) Schedule(lists.lFileAdd1, totals.local.add, remote, i);
        }
    } else if (remote.empty() && !local.empty()) {
        lists.rFileAdd1.Clear();
        for (size_t i = 0; i < local.size(); ++i) Schedule(lists.rFileAdd1, totals.remote.add, local, i);
    } else if (!local.empty() && !remote.empty()) {
        EvaluateBoth(lists, mirrorLocal, totals, view, ignoreHour, found);
    }
    if (matched) {
        // With a side empty, nothing has a counterpart.
        if (local.empty() || remote.empty()) {
            found.ofRemote.assign(remote.size(), Counterparts::kNone);
            found.remoteJudged = remote.size();
            found.localMatched.assign(local.size(), false);
            found.localJudged = true;
        }
        *matched = std::move(found);
    }
    view.SetStepCaption("Current Process");
    view.SetProgress(0);
}

}  // namespace engine
