#include "app/runs.h"

#include <exception>
#include <functional>

#include "app/folder_pair.h"
#include "engine/delete.h"
#include "engine/evaluate.h"
#include "engine/file_helpers.h"
#include "engine/scan.h"
#include "engine/update.h"
#include "platform/error.h"
#include "platform/file_system.h"
#include "platform/program_values.h"

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

std::string FailureText(int failed) {
    return std::to_string(failed) + (failed == 1 ? " item failed to sync" : " items failed to sync");
}

}  // namespace

std::string Runs::StampLine(const platform::LocalTime& now) {
    return "Synchronized on: " + platform::FormatShortDate(now) + " at " + platform::FormatLongTime(now) + "\r\n";
}

void Runs::RunMultiDirectory() {
    Mark active(state_.runActive);
    OnError restore([this] { EndRun(); });
    host_.ResetTotals();
    host_.EnableButton(Button::Exit, false);
    host_.ShowButton(Button::Stop, true);
    host_.ShowButton(Button::Options, false);
    size_t passes = 1;
    if (settings_.usemulti) {
        passes = settings_.ldir.size();
        host_.ShowButton(Button::Load, false);
        host_.ShowButton(Button::Next, true);
    }
    state_.LocalFolder = host_.FolderText(Side::First);
    state_.RemoteFolder = host_.FolderText(Side::Second);

    // An empty pair list makes no pass.
    for (size_t left = passes; left > 0; --left) {
        Pass(passes - left);
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

void Runs::Pass(size_t pairIndex) {
    if (settings_.usemulti) {
        host_.SetStatus(1, "Multi " + std::to_string(settings_.ldir.size() - pairIndex));
        if (pairIndex >= settings_.rdir.size()) throw platform::AppError(std::string(platform::kListIndexOutOfBounds));
        host_.SetFolder(Side::First, settings_.ldir[pairIndex]);
        host_.SetFolder(Side::Second, settings_.rdir[pairIndex]);
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
    {
        Mark step(state_.stepRunning);
        CreateFolders();
        ScanBoth();
        engine::EvaluateFolders(state_.lists, settings_.mirrorlocal, state_.totals, host_);
        host_.ListsChanged();
    }
    Decide();
    if (host_.Status(5) != "Synchronized" && settings_.autodortdata) RunSync();
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

void Runs::ScanBoth() {
    engine::PairPaths paths{host_.FolderText(Side::First) + "\\*.*", state_.LocalFolder,
                            host_.FolderText(Side::Second) + "\\*.*", state_.RemoteFolder};
    // The window stays responsive during a long scan; a Stop is acted on by the evaluation.
    size_t links = engine::ScanAndSortPair(files_, paths, engine::ScanOptionsFrom(settings_), state_.lists,
                                           state_.totals, [this] { host_.ProcessMessages(); });
    // Why a folder's content did not sync.
    if (links > 0) host_.SetStatus(0, std::to_string(links) + (links == 1 ? " folder link" : " folder links") +
                                          " passed over: not synced");
    host_.SetItemCaptions("First Folder Items: " + std::to_string(state_.lists.lvLocal.size()),
                          "Second Folder Items: " + std::to_string(state_.lists.lvRemote.size()));
    host_.ListsChanged();
}

void Runs::Decide() {
    const auto& l = state_.lists;
    if (!l.lFileAdd1.empty() || !l.rFileAdd1.empty() || !l.lUpdate1.empty() || !l.rUpdate1.empty()) {
        host_.EnableButton(Button::Sync, true);
        return;
    }
    host_.EnableButton(Button::Sync, false);
    host_.SetStatus(5, "Synchronized");
    host_.Repaint();
    if (settings_.usestamp) WriteStamp();
    if (settings_.autoclose) host_.StartCountdown();
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
    host_.EnableButton(Button::Next, true);
    host_.OfferWizardNotice();
    // The window stays usable: the user reviews the lists, syncs, or presses Next or Stop.
    while (!state_.nextRequested) host_.WaitForMessage();
    state_.nextRequested = false;
    host_.EnableButton(Button::Next, false);
}

int Runs::RunSync() {
    Mark step(state_.stepRunning);
    host_.EnableButton(Button::Exit, false);
    host_.EnableButton(Button::Load, false);
    host_.EnableButton(Button::Next, false);
    int failed = engine::UpdateItems(files_, state_.lists, state_.LocalFolder, state_.RemoteFolder, host_);
    engine::PrepareDeletion(state_.lists, host_);
    failed += engine::DeleteItems(files_, state_.lists, state_.LocalFolder, state_.RemoteFolder, host_);
    host_.ListsChanged();
    host_.SetStatus(0, "");
    host_.EnableButton(Button::Sync, false);
    if (state_.firstArgument == "-wiz") {
        // Started for one pair by the shell extension: the program ends after its Sync.
        state_.closePending = state_.stopRequested = state_.nextRequested = true;
    } else {
        host_.ResetWindow();
    }
    host_.EnableButton(Button::Exit, true);
    host_.EnableButton(Button::Load, true);
    host_.EnableButton(Button::Next, true);
    if (settings_.autoclose) host_.StartCountdown();
    return failed;
}

void Runs::LoadFromButton() {
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

void Runs::SyncFromButton() {
    host_.EnableButton(Button::Sync, false);
    host_.Repaint();
    host_.ProcessMessages();
    int failed = RunSync();
    host_.ResetTotals();
    host_.SetStatus(0, failed ? FailureText(failed) : "Synchronize Complete");
    host_.EnableButton(Button::Sync, true);
}

}  // namespace app
