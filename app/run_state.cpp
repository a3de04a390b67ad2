#include "app/run_state.h"

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
