#include "app/run_state.h"

#include <cctype>

#include "engine/scan.h"
#include "settings/settings.h"

namespace app {

std::string SizeText(engine::ByteCount bytes) {
    constexpr engine::ByteCount kMeg = 1048576;
    if (bytes < kMeg) return std::to_string(bytes) + " Bytes";
    // Hundredths of a megabyte, split so that no product overflows even near 2^63 bytes.
    engine::ByteCount hundredths = bytes / kMeg * 100 + bytes % kMeg * 100 / kMeg;
    std::string digits = std::to_string(hundredths);
    return digits.substr(0, digits.size() - 2) + "." + digits.substr(digits.size() - 2) + " Meg";
}

SyncTally& SyncTally::operator+=(const SyncTally& other) {
    planned += other.planned;
    handled += other.handled;
    failed += other.failed;
    busy += other.busy;
    return *this;
}

std::string SyncResultText(const SyncTally& tally) {
    auto items = [](int n) { return std::to_string(n) + (n == 1 ? " item" : " items"); };
    int notDone = tally.planned - tally.handled;
    if (tally.busy > 0) return items(tally.busy) + " not synced: another Sync or undo was running";
    if (notDone > 0 && tally.failed > 0)
        return "Sync stopped: " + std::to_string(notDone) + " not done, " + std::to_string(tally.failed) + " failed";
    if (notDone > 0) return "Sync stopped: " + items(notDone) + " not done";
    if (tally.failed > 0) return items(tally.failed) + " failed to sync";
    return "Synchronize Complete";
}

std::string PassedOverText(size_t links, size_t caseTwins) {
    auto count = [](size_t n, const char* one, const char* many) { return std::to_string(n) + (n == 1 ? one : many); };
    std::string text;
    if (links > 0) text = count(links, " folder link", " folder links");
    if (caseTwins > 0)
        text += (text.empty() ? "" : " and ") + count(caseTwins, " name", " names") + " differing only in case";
    return text.empty() ? text : text + " not synced";
}

namespace {

std::string FolderName(const engine::FolderNotRead& folder) {
    std::string side = folder.side == engine::Side::First ? "the First Folder" : "the Second Folder";
    return folder.path.empty() ? side : folder.path + " in " + side;
}

}  // namespace

std::string NotReadText(const std::vector<engine::FolderNotRead>& folders) {
    size_t n = 0;
    const engine::FolderNotRead* first = nullptr;
    for (const engine::FolderNotRead& f : folders)
        if (!f.link && n++ == 0) first = &f;
    if (n == 0) return {};
    std::string name = FolderName(*first);
    name[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
    if (n == 1) return name + " could not be read (" + first->why + ")";
    return std::to_string(n) + " folders could not be read, the first: " + FolderName(*first) + " (" + first->why + ")";
}

std::vector<std::string> NotReadReportLines(const std::vector<engine::FolderNotRead>& folders) {
    std::vector<std::string> lines;
    for (const engine::FolderNotRead& f : folders)
        lines.push_back((f.link ? std::string("A folder link, not followed") : "Could not be read (" + f.why + ")") +
                        ", what it holds not synced: " + FolderName(f));
    return lines;
}

std::string WithNotice(std::string result, const std::string& notice) {
    if (!notice.empty()) result += (result.empty() ? "" : "; ") + notice;
    return result;
}

PlanOptions PlanOptionsOf(const settings::Settings& settings) {
    engine::ScanOptions scan = engine::ScanOptionsFrom(settings);
    return {scan.useSubfolders,      scan.filterMode,  std::move(scan.excludedExts), std::move(scan.excludedNames),
            std::move(scan.onlyExts), settings.mirrorlocal, settings.ignorehour,      settings.usememory};
}

Countdown::Outcome Countdown::Tick(int delaySeconds, bool autoClose, std::string& panelText) {
    ++elapsed_;
    int left = delaySeconds - elapsed_;
    panelText = "Mirravel Exit in " + std::to_string(left) + " Sec.";
    if (left < 1) {
        if (autoClose) return Outcome::CloseWindow;
        Stop();
    }
    if (cancelPending_) {
        Stop();
        cancelPending_ = false;
    }
    if (running_) return Outcome::Running;
    panelText.clear();
    return Outcome::Stopped;
}

void Countdown::Stop() {
    running_ = false;
    elapsed_ = 0;
}

}  // namespace app
