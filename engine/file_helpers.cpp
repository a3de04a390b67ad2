#include "engine/file_helpers.h"

#include <algorithm>
#include <string>

#include "platform/recycle_bin.h"
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

std::string TemporaryBeside(std::string_view path) {
    return std::string(FolderPart(path)) + platform::TemporaryCopyName();
}

void DiscardCopy(platform::FileOps& files, const std::string& copy) {
    files.SetArchiveOnly(copy);
    files.RemoveFile(copy);
}

bool CopyToTemporary(platform::FileOps& files, std::string_view source, const std::string& temporary,
                     std::string* error, const platform::CopyProgress& progress) {
    if (files.CopyToFile(source, temporary, progress)) return true;
    if (error) *error = platform::LastErrorText();
    DiscardCopy(files, temporary);
    return false;
}

bool CopyItemFile(platform::FileOps& files, std::string_view source, std::string_view destination,
                  const std::function<bool()>& mayReplace, std::string* error, const std::string& temporary,
                  const platform::CopyProgress& progress) {
    const std::string copy = temporary.empty() ? TemporaryBeside(destination) : temporary;
    if (!CopyToTemporary(files, source, copy, error, progress)) return false;
    if ((!mayReplace || mayReplace()) && files.MoveReplacing(copy, destination)) return true;
    if (error) *error = platform::LastErrorText();
    DiscardCopy(files, copy);
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
