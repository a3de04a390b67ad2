#include "engine/file_helpers.h"

#include <algorithm>
#include <string>

#include "engine/removal.h"
#include "platform/work_names.h"

namespace engine {

std::string_view EntryPath(std::string_view text, bool folder) {
    if (folder && text.size() >= 2 && text.front() == '[' && text.back() == ']') return text.substr(1, text.size() - 2);
    return text;
}

std::string_view FolderPart(std::string_view path) {
    size_t cut = path.find_last_of("\\/");
    return cut == std::string_view::npos ? std::string_view() : path.substr(0, cut + 1);
}

std::string_view NamePart(std::string_view path) { return path.substr(FolderPart(path).size()); }

size_t Depth(std::string_view relative) { return static_cast<size_t>(std::count(relative.begin(), relative.end(), '\\')); }

std::string OldCopyBeside(std::string_view path) {
    return std::string(FolderPart(path)) + platform::OldCopyName(NamePart(path));
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

void CreateFolderChain(platform::FileOps& files, std::string_view path, std::vector<std::string>* created) {
    if (!path.empty() && (path.back() == '\\' || path.back() == '/')) path.remove_suffix(1);
    if (path.size() <= 2 || files.FolderExists(path)) return;
    size_t cut = path.find_last_of("\\/:");
    if (cut != std::string_view::npos) CreateFolderChain(files, path.substr(0, cut + 1), created);
    if (files.CreateFolder(path) && created) created->emplace_back(path);
}

namespace {

// Gives the destination the new content in the place of its old one, which takes the name aside. A
// swap that fails half-way puts the old content back under its name.
bool Swap(platform::FileOps& files, const std::string& temporary, std::string_view destination, CopyPlacement& placement) {
    if (!files.CanReplace(destination) || !files.Rename(destination, placement.aside)) return false;
    if (files.Rename(temporary, destination)) {
        placement.swapped = true;
        return true;
    }
    std::string error = platform::LastErrorText();
    if (!files.Rename(placement.aside, destination)) {
        // The name stays empty only if the old content cannot return either: then it waits under its
        // own name, which the next Sync into the folder recycles.
        error += "; the old content is kept as " + std::string(NamePart(placement.aside));
    }
    placement.error = error;
    return false;
}

}  // namespace

bool CopyItemFile(platform::FileOps& files, std::string_view source, std::string_view destination,
                  const std::function<bool()>& mayReplace, CopyPlacement* placement,
                  const platform::CopyProgress& progress) {
    std::string temporary = std::string(FolderPart(destination)) + platform::TemporaryCopyName();
    auto place = [&] {
        if (!placement || placement->aside.empty() || !files.Find(destination)) return files.MoveReplacing(temporary, destination);
        return Swap(files, temporary, destination, *placement);
    };
    if (files.CopyToFile(source, temporary, progress) && (!mayReplace || mayReplace()) && place()) return true;
    if (placement && placement->error.empty()) placement->error = platform::LastErrorText();
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

std::optional<ItemState> LoadedSide::Loaded(std::string_view relative, bool folder) {
    if (!index_) index_.emplace(items_, meanwhile_);
    size_t i = index_->Find(NameKey(folder ? "[" + std::string(relative) + "]" : std::string(relative)), folder);
    if (i == kNone) return std::nullopt;
    return ItemState{true, folder, folder ? 0 : items_.Size(i), folder ? 0 : items_.LastWrite(i)};
}

void LoadedSide::RemoveLeftovers(platform::FileOps& files, std::string_view root, std::string_view folder,
                                 Removal* removal, Side side) {
    if (items_.WorkFiles().empty()) return;
    if (!leftovers_) {
        leftovers_.emplace();
        for (const std::string& path : items_.WorkFiles()) {
            size_t cut = path.find_last_of('\\');
            (*leftovers_)[NameKey(cut == std::string::npos ? std::string() : path.substr(0, cut))].push_back(path);
        }
    }
    auto here = leftovers_->find(NameKey(folder));
    if (here == leftovers_->end()) return;
    for (const std::string& path : here->second) {
        std::string name(NamePart(path));
        if (platform::WriterMayRun(name)) continue;
        std::string full = std::string(root) + "\\" + path;
        if (platform::WorkFileKind(name) == platform::WorkFile::OldCopy) {
            if (removal) removal->RemoveLeftover(side, path, full);
            continue;
        }
        // Half a copy: it may carry a read-only attribute from its source.
        files.SetArchiveOnly(full);
        files.RemoveFile(full);
    }
    leftovers_->erase(here);
}

ItemState ItemStateOf(platform::FileOps& files, std::string_view path) {
    auto info = files.Find(path);
    if (!info) return {};
    return {true, info->directory, info->directory ? 0 : info->size, info->directory ? 0 : info->lastWrite};
}

bool HoldsAnything(platform::FileOps& files, std::string_view folder) {
    bool any = false;
    files.Enumerate(folder, [&](const platform::FileInfo&) { any = true; });
    return any;
}

ByteCount GetItemSize(platform::FileOps& files, std::string_view path) {
    auto info = files.Find(path);
    return info ? info->size : 0;
}

}  // namespace engine
