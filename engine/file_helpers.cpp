#include "engine/file_helpers.h"

#include <atomic>
#include <charconv>
#include <string>

#include "platform/process.h"

namespace engine {

namespace {

constexpr std::string_view kTemporaryPrefix = "~mirv98-", kTemporarySuffix = ".tmp";

// Temporary names differ between processes and between copies of one process; the process id tells
// a later Sync whether the copy that wrote one may still be running.
std::string TemporaryName() {
    static std::atomic<unsigned> counter{0};
    return std::string(kTemporaryPrefix) + std::to_string(platform::CurrentProcessId()) + "-" +
           std::to_string(counter++) + std::string(kTemporarySuffix);
}

// A temporary copy's writer may still be at work: this process, or a process of its id that runs.
// A number no process can have (too long) leaves no writer.
bool WriterMayRun(std::string_view name) {
    std::string_view digits = name.substr(kTemporaryPrefix.size());
    std::uint32_t id = 0;
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), id);
    if (error != std::errc() || *end != '-') return false;
    return id == platform::CurrentProcessId() || platform::ProcessRunning(id);
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

std::string_view EntryPath(std::string_view text, bool folder) {
    if (folder && text.size() >= 2 && text.front() == '[' && text.back() == ']') return text.substr(1, text.size() - 2);
    return text;
}

bool BehindLink(platform::FileOps& files, std::string_view root, std::string_view relative) {
    std::string path;
    for (size_t cut = relative.find('\\'); cut != std::string_view::npos; cut = relative.find('\\', cut + 1)) {
        path.assign(root).append("\\").append(relative.substr(0, cut));
        auto folder = files.Find(path);
        if (folder && folder->link) return true;
    }
    return false;
}

void CreateFolderChain(platform::FileOps& files, std::string_view path) {
    if (!path.empty() && (path.back() == '\\' || path.back() == '/')) path.remove_suffix(1);
    if (path.size() <= 2 || files.FolderExists(path)) return;
    size_t cut = path.find_last_of("\\/:");
    if (cut != std::string_view::npos) CreateFolderChain(files, path.substr(0, cut + 1));
    files.CreateFolder(path);
}

bool CopyItemFile(platform::FileOps& files, std::string_view source, std::string_view destination,
                  const std::function<bool()>& mayReplace, CopyPlacement* placement) {
    size_t cut = destination.find_last_of("\\/");
    std::string temporary(cut == std::string_view::npos ? std::string_view() : destination.substr(0, cut + 1));
    temporary += TemporaryName();
    auto place = [&] {
        if (!placement || !placement->keepOld || !files.Find(destination)) return files.MoveReplacing(temporary, destination);
        // The old content leaves its name in the same step that gives the name to the new one.
        std::string aside = AsideName(files, destination);
        if (!placement->keepOld->ReplaceKeeping(temporary, destination, aside)) return false;
        placement->aside = std::move(aside);
        return true;
    };
    if (files.CopyToFile(source, temporary) && (!mayReplace || mayReplace()) && place()) return true;
    if (placement) placement->error = platform::LastErrorText();
    // The copy may carry a read-only attribute from its source.
    files.SetArchiveOnly(temporary);
    files.RemoveFile(temporary);
    return false;
}

bool LoadedSide::ChangedSinceLoad(platform::FileOps& files, std::string_view relative, std::string_view path) {
    auto now = files.Find(path);
    if (!now || now->directory) return false;
    if (!index_) index_.emplace(items_, meanwhile_);
    size_t i = index_->Find(NameKey(relative), false);
    return i == kNone || items_.LastWrite(i) != now->lastWrite || items_.Size(i) != now->size;
}

void LoadedSide::RemoveLeftovers(platform::FileOps& files, std::string_view root, std::string_view folder) {
    if (items_.TemporaryFiles().empty()) return;
    if (!leftovers_) {
        leftovers_.emplace();
        for (const std::string& path : items_.TemporaryFiles()) {
            size_t cut = path.find_last_of('\\');
            (*leftovers_)[NameKey(cut == std::string::npos ? std::string() : path.substr(0, cut))].push_back(path);
        }
    }
    auto here = leftovers_->find(NameKey(folder));
    if (here == leftovers_->end()) return;
    for (const std::string& path : here->second) {
        if (WriterMayRun(path.substr(path.find_last_of('\\') + 1))) continue;
        std::string full = std::string(root) + "\\" + path;
        // It may carry a read-only attribute from its source.
        files.SetArchiveOnly(full);
        files.RemoveFile(full);
    }
    leftovers_->erase(here);
}

std::string AsideName(platform::FileOps& files, std::string_view path) {
    size_t cut = path.find_last_of("\\/");
    size_t nameStart = cut == std::string_view::npos ? 0 : cut + 1;
    size_t dot = path.rfind('.');
    if (dot == std::string_view::npos || dot <= nameStart) dot = path.size();
    std::string_view stem = path.substr(0, dot), extension = path.substr(dot);
    for (int n = 1;; ++n) {
        std::string aside = std::string(stem) + (n == 1 ? " (old copy)" : " (old copy " + std::to_string(n) + ")") +
                            std::string(extension);
        if (!files.Find(aside)) return aside;
    }
}

ByteCount GetItemSize(platform::FileOps& files, std::string_view path) {
    auto info = files.Find(path);
    return info ? info->size : 0;
}

}  // namespace engine
