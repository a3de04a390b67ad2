#include "app/runs.h"

#include <exception>
#include <functional>

#include "app/folder_pair.h"
#include "app/open_work.h"
#include "app/sync_journal.h"
#include "app/undo_question.h"
#include "engine/delete.h"
#include "engine/evaluate.h"
#include "engine/memory_pass.h"
#include "engine/file_helpers.h"
#include "engine/removal.h"
#include "engine/scan.h"
#include "engine/update.h"
#include "platform/error.h"
#include "platform/file_system.h"
#include "platform/program_values.h"
#include "platform/recycle_bin.h"
#include "platform/session_lock.h"

namespace app {

namespace {

// Sets a mark for the length of a scope, whatever way the scope is left.
class Mark {
public:
    explicit Mark(bool& mark) : mark_(mark), before_(mark) { mark_ = true; }
    ~Mark() { mark_ = before_; }
    Mark(const Mark&) = delete;
    Mark& operator=(const Mark&) = delete;

private:
    bool& mark_;
    bool before_;
};

// Runs a step when the scope is left by an error, so that a failed run does not leave the window
// in its run state (Load and Exit disabled, Stop in the place of Options).
class OnError {
public:
    explicit OnError(std::function<void()> step) : step_(std::move(step)), errors_(std::uncaught_exceptions()) {}
    ~OnError() {
        if (std::uncaught_exceptions() > errors_) step_();
    }
    OnError(const OnError&) = delete;
    OnError& operator=(const OnError&) = delete;

private:
    std::function<void()> step_;
    int errors_;
};

// Keeps every record of a Sync and hands it on.
class RecordKeeper final : public engine::SyncLog {
public:
    explicit RecordKeeper(engine::SyncLog* next) : next_(next) {}
    void Record(const engine::ItemRecord& record) override {
        records.push_back(record);
        if (next_) next_->Record(record);
    }
    int Intend(const engine::WorkIntent& intent) override { return next_ ? next_->Intend(intent) : 0; }
    std::vector<engine::ItemRecord> records;

private:
    engine::SyncLog* next_;
};

bool SamePair(const PlanMemory& memory, std::string_view first, std::string_view second) {
    return engine::NameKey(memory.first) == engine::NameKey(first) && engine::NameKey(memory.second) == engine::NameKey(second);
}

// Why items of the scan did not sync: what it passed over and the folders it could not read.
std::string ScanNotice(const engine::PassedOver& passed) {
    return WithNotice(PassedOverText(passed.links, passed.caseTwins), NotReadText(passed.notRead));
}

constexpr const char* kUndoBusy = "Undo not started: another Sync or undo is running";

}  // namespace

std::optional<Journal> Runs::ReadJournal(const std::string& path) {
    std::string text;
    if (platform::ReadWholeFile(path, text) != platform::ReadStatus::Ok) return std::nullopt;
    return ParseJournal(text);
}

std::string Runs::UnwrittenText(const SyncReport& report, bool reportSaved) {
    std::string text;
    if (report.JournalFailed()) text = "the journal cannot be written: this Sync cannot be undone";
    if (!reportSaved || report.ReportFailed()) text = WithNotice(text, "the report cannot be written");
    return text;
}

std::string Runs::StampLine(const platform::LocalTime& now) {
    return "Synchronized on: " + platform::FormatShortDate(now) + " at " + platform::FormatLongTime(now) + "\r\n";
}

void Runs::RunMultiDirectory() {
    RunPhases::Scope phase(state_.phases, Phase::LoadPass);
    OnError restore([this] { EndRun(); });
    runTally_ = {};
    runReport_.reset();
    // Whatever the lists held was planned for a pair this Load may not visit again, or at all.
    DiscardPlan();
    host_.EnableButton(Button::Exit, false);
    host_.ShowButton(Button::Stop, true);
    host_.ShowButton(Button::Options, false);
    // The run owns its pairs: a list that changed under it could not be walked to its end.
    PairLists pairs;
    size_t passes = 1;
    if (settings_.usemulti) {
        pairs = {settings_.ldir, settings_.rdir};
        passes = pairs.firsts.size();
        host_.ShowButton(Button::Load, false);
        host_.ShowButton(Button::Next, true);
    }
    state_.LocalFolder = host_.FolderText(Side::First);
    state_.RemoteFolder = host_.FolderText(Side::Second);

    // An empty pair list makes no pass.
    for (size_t left = passes; left > 0; --left) {
        Pass(pairs, passes - left);
        if (settings_.usemulti && left > 1 && !settings_.autodortdata) WaitForNext();
        if (state_.stopRequested) break;
    }
    EndRun();
    host_.SetTotalTexts(std::to_string(state_.totals.local.item) + " Bytes",
                        std::to_string(state_.totals.remote.item) + " Bytes");
}

void Runs::EndRun() {
    host_.ShowButton(Button::Next, false);
    host_.ShowButton(Button::Load, true);
    state_.stopRequested = state_.nextRequested = false;
    if (settings_.usemulti) host_.SetStatus(1, "Multi");
    host_.SetProgress(0);
    host_.EnableButton(Button::Exit, true);
    host_.ShowButton(Button::Stop, false);
    host_.ShowButton(Button::Options, true);
}

void Runs::Pass(const PairLists& pairs, size_t pairIndex) {
    if (settings_.usemulti) {
        host_.SetStatus(1, "Multi " + std::to_string(pairs.firsts.size() - pairIndex));
        if (pairIndex >= pairs.seconds.size()) throw platform::AppError(std::string(platform::kListIndexOutOfBounds));
        host_.SetFolder(Side::First, pairs.firsts[pairIndex]);
        host_.SetFolder(Side::Second, pairs.seconds[pairIndex]);
        host_.Repaint();
        state_.LocalFolder = host_.FolderText(Side::First);
        state_.RemoteFolder = host_.FolderText(Side::Second);
    }
    host_.EnableButton(Button::Exit, false);
    host_.EnableButton(Button::Load, false);
    host_.EnableButton(Button::Sync, false);
    host_.ResetWindow();
    // A pair handed over by the shell extension or the command line serves one pass only.
    platform::WriteProgramValue("slocal", "");
    platform::WriteProgramValue("sremote", "");
    if (SkipWithoutFolders()) return;
    // The roots made absolute once; what the scan finds below them is appended exactly as found.
    state_.LocalFolder = platform::FullFolderPath(state_.LocalFolder);
    state_.RemoteFolder = platform::FullFolderPath(state_.RemoteFolder);
    CreateFolders();
    // What a cut-off Sync left half done in these folders is finished before they are read.
    OpenWorkSummary open = SettleOpenWork(files_, ReportFolder(), {state_.LocalFolder, state_.RemoteFolder});
    engine::PassedOver passed = ScanBoth(open.workFiles);
    std::string keptAs;
    if (!open.keptAs.empty())
        keptAs = std::to_string(open.keptAs.size()) +
                 (open.keptAs.size() == 1 ? " old copy a cut-off Sync left is kept as "
                                          : " old copies a cut-off Sync left are kept as ") +
                 std::string(engine::NamePart(open.keptAs.front())) + (open.keptAs.size() == 1 ? "" : " and others");
    state_.memory = settings_.usememory ? StartPlanMemory(state_.LocalFolder, state_.RemoteFolder) : nullptr;
    engine::EvaluateWithMemory(state_.lists, settings_.mirrorlocal, state_.totals, host_, settings_.ignorehour,
                               state_.memory ? &state_.memory->use : nullptr, passed.notRead);
    // What the scan passed over and what the memory planned stay told beside the run's result.
    std::string notice = WithNotice(ScanNotice(passed), keptAs);
    if (state_.memory) notice = WithNotice(notice, MemoryPanelText(*state_.memory));
    if (!notice.empty()) host_.SetStatus(0, notice);
    state_.plan = MainState::Plan{{state_.LocalFolder, state_.RemoteFolder}, std::move(notice), PlanOptionsOf(settings_),
                                   std::move(passed.notRead)};
    host_.ListsChanged();
    // A pair found in step is remembered as it stands.
    if (Decide() && state_.memory && state_.memory->use.complete)
        WritePairMemory(state_.LocalFolder, state_.RemoteFolder, state_.memory->use.memory);
    if (host_.Status(5) != "Synchronized" && settings_.autodortdata && !state_.stopRequested) RunSync(*state_.plan, true);
}

void Runs::DiscardPlan() {
    state_.lists.Clear();
    state_.plan.reset();
    state_.memory.reset();
    host_.SetStatus(5, "");
    host_.ResetTotals();
    host_.ListsChanged();
    host_.EnableButton(Button::Sync, false);
}

bool Runs::SkipWithoutFolders() {
    // A side without a folder is never created, scanned or synced: the other side would be
    // copied into a folder named "none" in the current folder.
    bool first = IsNoFolder(state_.LocalFolder), second = IsNoFolder(state_.RemoteFolder);
    if (!first && !second) return false;
    host_.SetStatus(0, first && second ? "No folders chosen: pass skipped"
                      : first        ? "No First Folder: pass skipped"
                                     : "No Second Folder: pass skipped");
    return true;
}

void Runs::CreateFolders() {
    for (const std::string& folder : {state_.LocalFolder, state_.RemoteFolder}) {
        std::string path = WithoutTrailingBackslash(folder);
        if (path.size() >= 3 && !files_.FolderExists(path)) engine::CreateFolderChain(files_, path);
    }
}

engine::PassedOver Runs::ScanBoth(std::shared_ptr<const std::unordered_set<std::string>> workFiles) {
    engine::PairPaths paths{state_.LocalFolder + "\\*.*", state_.LocalFolder, state_.RemoteFolder + "\\*.*",
                            state_.RemoteFolder};
    engine::ScanOptions options = engine::ScanOptionsFrom(settings_);
    options.workFiles = std::move(workFiles);
    // The window stays responsive during a long scan; a Stop is acted on by the evaluation.
    engine::PassedOver passed = engine::ScanAndSortPair(files_, paths, options, state_.lists, state_.totals,
                                                        [this] { host_.ProcessMessages(); });
    // Why an item did not sync.
    std::string notice = ScanNotice(passed);
    if (!notice.empty()) host_.SetStatus(0, notice);
    host_.SetItemCaptions("First Folder Items: " + std::to_string(state_.lists.lvLocal.size()),
                          "Second Folder Items: " + std::to_string(state_.lists.lvRemote.size()));
    host_.ListsChanged();
    return passed;
}

bool Runs::Decide() {
    const auto& l = state_.lists;
    // The delete lists hold only what the memory of the last Sync planned: deletions carried over.
    bool work = !l.lFileAdd1.empty() || !l.rFileAdd1.empty() || !l.lUpdate1.empty() || !l.rUpdate1.empty() ||
                !l.ldelfile1.empty() || !l.rdelfile1.empty();
    host_.EnableButton(Button::Sync, work);
    // A stopped evaluation saw part of the pair at most: what it planned may be synced, but the pair is
    // not known to be in step, so no "Synchronized", no record and no countdown.
    if (state_.stopRequested) {
        host_.SetStatus(0, WithNotice("Load stopped: lists may be incomplete", state_.plan->passedOver));
        return false;
    }
    // Changes made on both sides wait in the ignore lists for the user: not in step either.
    if (work || !l.lignfile1.empty() || !l.rignfile1.empty()) return false;
    host_.SetStatus(5, "Synchronized");
    host_.Repaint();
    if (settings_.usestamp) WriteStamp();
    if (settings_.autoclose) host_.StartCountdown();
    return true;
}

void Runs::WriteStamp() {
    // Written first where every user may write, then copied into the pair's two folders; only the
    // pair found in step gets it, in multi-directory mode too.
    std::string temporary = platform::TemporaryFolder() + "\\" + kStampFileName;
    if (!platform::WriteWholeFile(temporary, StampLine(platform::CurrentLocalTime())))
        throw platform::AppError(platform::CannotCreateFileText(temporary));
    for (const std::string& folder : {state_.LocalFolder, state_.RemoteFolder})
        engine::CopyItemFile(files_, temporary, folder + "\\" + kStampFileName);
    files_.RemoveFile(temporary);
}

void Runs::WaitForNext() {
    // A Stop or the user's close during the pass has ended the run already: no notice, no wait.
    if (state_.stopRequested) return;
    RunPhases::Scope phase(state_.phases, Phase::WaitForNext);
    host_.EnableButton(Button::Next, true);
    host_.OfferWizardNotice();
    // The window stays usable: the user reviews the lists, syncs, or presses Next or Stop.
    while (!state_.nextRequested) host_.WaitForMessage();
    state_.nextRequested = false;
    host_.EnableButton(Button::Next, false);
}

SyncTally Runs::RunSync(MainState::Plan plan, bool unattended) {
    // The plan's own folders, whatever the fields and the mode show now: never between folders the plan
    // was not made for.
    RunPhases::Scope phase(state_.phases, Phase::SyncStep);
    auto& l = state_.lists;
    SyncTally tally;
    for (size_t n : {l.lFileAdd1.size(), l.rFileAdd1.size(), l.lUpdate1.size(), l.rUpdate1.size(), l.ldelfile1.size(),
                     l.rdelfile1.size()})
        tally.planned += static_cast<int>(n);
    // Held to the end: an undo or a Sync of another copy of the program never works beside this one.
    platform::SessionLock session;
    if (!session.Held()) {
        tally.busy = tally.planned;
        SyncTally shown = state_.phases.LoadRunActive() ? runTally_ += tally : tally;
        host_.SetStatus(0, WithNotice(SyncResultText(shown), plan.passedOver));
        return tally;
    }
    host_.EnableButton(Button::Exit, false);
    host_.EnableButton(Button::Load, false);
    host_.EnableButton(Button::Next, false);
    const std::string &local = plan.pair.first, &remote = plan.pair.second;
    // The Syncs of one Load run share its report and journal; a Sync on its own has its own. The journal
    // is kept whether or not reports are on: Undo Last Sync reads it, and a cut-off Sync is finished from it.
    std::optional<SyncReport> own;
    std::optional<SyncReport>& holder = state_.phases.LoadRunActive() ? runReport_ : own;
    if (!holder) holder.emplace(platform::CurrentLocalTime(), ReportFolder(), settings_.usereport);
    SyncReport* report = &*holder;
    report->BeginPair(local, remote);
    for (const std::string& note : NotReadReportLines(plan.notRead)) report->Note(note);
    if (state_.memory)
        for (const std::string& note : MemoryReportLines(*state_.memory)) report->Note(note);
    std::string unwritten = UnwrittenText(*report);
    if (!unwritten.empty()) host_.SetStatus(0, unwritten);
    // The pair's memory hears of every item, the report too.
    RecordKeeper kept(report);
    const bool remember = state_.memory && state_.memory->use.complete && SamePair(*state_.memory, local, remote);
    const engine::SyncOptions options{settings_.userecycle ? &platform::SystemRecycleBin() : nullptr,
                                      remember ? &kept : static_cast<engine::SyncLog*>(report), unattended};
    // One owner of what leaves the folders, for the copies and the deletions alike: it asks at most
    // once whether what the Recycle Bin cannot take may go for good.
    engine::Removal removal(files_, options, host_, local, remote);
    removal.AskBeforehand(l, local, remote);
    engine::UpdateItems(files_, l, local, remote, host_, removal);
    engine::PrepareDeletion(l, host_, options);
    engine::DeleteItems(files_, l, local, remote, host_, removal);
    removal.Finish();
    tally.handled = removal.Counts().handled;
    tally.failed = removal.Counts().failed;
    if (remember) {
        // Only what is in step now: an item not done keeps what was remembered of it.
        state_.memory->use.memory.Apply(kept.records, l.lvLocal, l.lvRemote);
        WritePairMemory(local, remote, state_.memory->use.memory);
    }
    report->End(platform::CurrentLocalTime());
    // A report that cannot be written costs the Sync nothing but the word that says so.
    bool saved = !settings_.usereport || SaveReport(files_, ReportFolder(), *report);
    if (!settings_.usereport) PruneReports(files_, ReportFolder());
    state_.lastSyncNotUndoable = report->JournalFailed();
    unwritten = UnwrittenText(*report, saved);
    host_.ListsChanged();
    SyncTally shown = state_.phases.LoadRunActive() ? runTally_ += tally : tally;
    host_.SetStatus(0, WithNotice(WithNotice(SyncResultText(shown), unwritten), plan.passedOver));
    host_.EnableButton(Button::Sync, false);
    // Started for one pair by the shell extension: the program ends once this Sync has returned.
    if (state_.firstArgument == "-wiz") RequestClose(CloseBy::WizardSync);
    else host_.ResetWindow();
    host_.EnableButton(Button::Exit, true);
    host_.EnableButton(Button::Load, true);
    host_.EnableButton(Button::Next, true);
    if (settings_.autoclose) host_.StartCountdown();
    return tally;
}

void Runs::NothingToSync() {
    // During a wait the Load button is hidden: what is left to do there is Next or Stop.
    host_.SetStatus(0, state_.phases.LoadRunActive() ? "Nothing to sync for this pair: press Next or Stop"
                                                     : "Nothing to sync: press Load first");
}

bool Runs::Undoable() {
    return !state_.lastSyncNotUndoable && !platform::SessionLock::HeldElsewhere() &&
           UndoableJournal(files_, ReportFolder()).has_value();
}

void Runs::NothingToUndo() {
    host_.SetStatus(0, platform::SessionLock::HeldElsewhere() ? kUndoBusy : "No Sync to undo");
}

std::optional<engine::UndoCounts> Runs::UndoLastSync(bool ask) {
    // Held from the question to the end: no Sync of another copy starts a newer journal, or writes into
    // the folders, while this one is put back.
    platform::SessionLock session;
    if (!session.Held()) {
        host_.SetStatus(0, kUndoBusy);
        return std::nullopt;
    }
    if (state_.lastSyncNotUndoable) return std::nullopt;
    std::optional<std::string> journalPath = UndoableJournal(files_, ReportFolder());
    std::optional<Journal> journal = journalPath ? ReadJournal(*journalPath) : std::nullopt;
    if (!journal) return std::nullopt;
    if (ask && !host_.Ask("Undo Last Sync", UndoQuestion(journal->startedLocal, journal->pairs))) return std::nullopt;
    RunPhases::Scope phase(state_.phases, Phase::Undo);
    OnError restore([this] { EndRun(); });
    host_.EnableButton(Button::Exit, false);
    host_.EnableButton(Button::Load, false);
    host_.ShowButton(Button::Stop, true);
    host_.ShowButton(Button::Options, false);
    host_.SetStatus(0, "");
    host_.Repaint();
    // What the Sync left half done, were it cut off, is finished first: its journal then tells all there is
    // to reverse.
    std::vector<std::string> roots;
    for (const engine::PairRecords& pair : journal->pairs) roots.insert(roots.end(), {pair.first, pair.second});
    if (!journal->open.empty()) {
        SettleOpenWork(files_, ReportFolder(), roots);
        if (std::optional<Journal> settled = ReadJournal(*journalPath)) journal = std::move(settled);
    }
    UndoReport report(platform::CurrentLocalTime(), journal->startedLocal, ReportFolder());
    auto save = [&] {
        report.End(platform::CurrentLocalTime());
        if (settings_.usereport) SaveUndoReport(files_, ReportFolder(), report);
    };
    // What the Sync put in the Recycle Bin comes back from it, and what the undo removes goes there
    // wherever one serves, with the option on or off. Nobody to ask at "-undo": what the bin cannot take
    // stays, as in an automatic Sync.
    const engine::SyncOptions options{&platform::SystemRecycleBin(), nullptr, !ask};
    // What a pair's memory says of that Sync is no longer so once any item is back: a file it copied and
    // the undo removed would look deleted on one side and be deleted on the other. The pair starts afresh.
    for (const engine::PairRecords& pair : journal->pairs) ForgetPairMemory(pair.first, pair.second);
    engine::UndoCounts counts;
    try {
        counts = engine::UndoSync(files_, journal->pairs, host_, options, &report);
    } catch (const std::exception& e) {
        report.Note("Ended by an error: " + std::string(e.what()));
        save();
        throw;
    }
    // Undone once it has run to its end. A stopped undo (Stop, a close, the session's end) leaves the
    // Sync undoable: a second one puts back the rest, and finds what is back already back.
    const bool stopped = state_.stopRequested;
    if (stopped) report.Note("Stopped before its end: File > Undo Last Sync puts back the rest");
    else MarkUndone(*journalPath);
    save();
    // Whatever plan a Load made is stale now: the folders have changed under it.
    host_.EnableButton(Button::Sync, false);
    host_.EnableButton(Button::Load, true);
    host_.ResetWindow();
    EndRun();
    host_.SetStatus(0, counts.notUndone == 0 ? "Sync undone"
                                            : (stopped ? "Undo stopped: " : "Undo: ") + std::to_string(counts.notUndone) +
                                                  (counts.notUndone == 1 ? " item not undone" : " items not undone"));
    return counts;
}

bool Runs::RequestClose(CloseBy by) {
    switch (state_.phases.RequestClose(by)) {
    case RunPhases::CloseAction::Now: return true;
    case RunPhases::CloseAction::StopThenAfterRun: state_.stopRequested = state_.nextRequested = true; break;
    case RunPhases::CloseAction::AfterRun: break;
    }
    return false;
}

void Runs::LoadFromButton() {
    // From the click on: a close or a click that the first repaint lets in meets a running Load.
    RunPhases::Scope phase(state_.phases, Phase::LoadPass);
    host_.EnableButton(Button::Load, false);
    host_.SetCaption("The Mirravel: " + host_.FolderText(Side::First));
    host_.SetStatus(0, "");
    host_.Repaint();
    state_.totals = {};
    // Cleared however the run ends; the window then shows the default cursor at the next move.
    Mark busy(state_.LoadBusy);
    OnError restore([this] {
        host_.SetBusyCursor(false);
        host_.EnableButton(Button::Load, true);
    });
    host_.ShowItemListPage();
    host_.SetBusyCursor(true);
    host_.Repaint();
    host_.ProcessMessages();
    RunMultiDirectory();
    host_.SetBusyCursor(false);
    host_.ComputeTotals();
    host_.EnableButton(Button::Load, true);
}

void Runs::SyncFromButton(MainState::Plan plan) {
    RunPhases::Scope phase(state_.phases, Phase::SyncStep);
    host_.EnableButton(Button::Sync, false);
    host_.Repaint();
    host_.ProcessMessages();
    RunSync(std::move(plan));
    host_.ResetTotals();
    host_.EnableButton(Button::Sync, true);
}

}  // namespace app
