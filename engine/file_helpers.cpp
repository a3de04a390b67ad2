#include "engine/file_helpers.h"

#include <atomic>
#include <chrono>
#include <string>

namespace engine {

namespace {

constexpr std::string_view kTemporaryPrefix = "~mirv98-", kTemporarySuffix = ".tmp";

// Temporary names differ between processes and between copies of one process.
std::string TemporaryName() {
    static const auto token =
        static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count() & 0xFFFFFF);
    static std::atomic<unsigned> counter{0};
    return std::string(kTemporaryPrefix) + std::to_string(token) + "-" + std::to_string(counter++) +
           std::string(kTemporarySuffix);
}

}  // namespace

bool IsTemporaryCopyName(std::string_view name) {
    if (!name.starts_with(kTemporaryPrefix) || !name.ends_with(kTemporarySuffix)) return false;
    std::string_view middle = name.substr(kTemporaryPrefix.size(),
                                          name.size() - kTemporaryPrefix.size() - kTemporarySuffix.size());
    size_t dash = middle.find('-');
    if (dash == 0 || dash == std::string_view::npos || dash + 1 == middle.size()) return false;
    for (size_t i = 0; i < middle.size(); ++i)
        if (i != dash && (middle[i] < '0' || middle[i] > '9')) return false;
    return true;
}

SplitEntry SplitFolderEntry(std::string_view text) {
    if (text.size() >= 2 && text.front() == '[' && text.back() == ']') return {true, text.substr(1, text.size() - 2)};
    return {false, text};
}

void CreateFolderChain(platform::FileOps& files, std::string_view path) {
    if (!path.empty() && (path.back() == '\\' || path.back() == '/')) path.remove_suffix(1);
    if (path.size() <= 2 || files.FolderExists(path)) return;
    size_t cut = path.find_last_of("\\/:");
    if (cut != std::string_view::npos) CreateFolderChain(files, path.substr(0, cut + 1));
    files.CreateFolder(path);
}

bool CopyItemFile(platform::FileOps& files, std::string_view source, std::string_view destination,
                  const std::function<bool()>& mayReplace) {
    size_t cut = destination.find_last_of("\\/");
    std::string temporary(cut == std::string_view::npos ? std::string_view() : destination.substr(0, cut + 1));
    temporary += TemporaryName();
    if (files.CopyToFile(source, temporary) && (!mayReplace || mayReplace()) &&
        files.MoveReplacing(temporary, destination))
        return true;
    // The copy may carry a read-only attribute from its source.
    files.SetArchiveOnly(temporary);
    files.RemoveFile(temporary);
    return false;
}

bool LoadedSide::ChangedSinceLoad(platform::FileOps& files, std::string_view relative, std::string_view path) {
    auto now = files.Find(path);
    if (!now || now->directory) return false;
    if (!index_) index_.emplace(items_);
    size_t i = index_->Find(NameKey(relative));
    return i == kNone || items_.Time(i) != platform::PackFileTime(now->lastWrite) || items_.Size(i) != now->size;
}

ByteCount GetItemSize(platform::FileOps& files, std::string_view path) {
    auto info = files.Find(path);
    return info ? info->size : 0;
}

}  // namespace engine
