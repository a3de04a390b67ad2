#include "engine/move.h"

#include <algorithm>
#include <vector>

#include "engine/name_key.h"

namespace engine {

namespace {

std::string Key(std::string_view path, bool folder) { return NameKey(path) + (folder ? '\1' : '\0'); }

}  // namespace

Mover::Mover(platform::FileOps& files, Removal& removal, std::string_view root, LoadedSide& loaded, Side side,
             MakeFolders makeFolders)
    : files_(files), removal_(removal), root_(root), loaded_(loaded), side_(side), makeFolders_(std::move(makeFolders)) {}

std::string Mover::Full(std::string_view relative) const { return std::string(root_) + "\\" + std::string(relative); }

bool Mover::AsLoaded(const std::string& relative) {
    bool same = true;
    bool listed = files_.Enumerate(Full(relative), [&](const platform::FileInfo& e) {
        if (!same) return;
        std::string path = relative + "\\" + e.name;
        std::optional<ItemState> then = loaded_.Loaded(path, e.directory);
        if (!then || e.link) same = false;
        else if (e.directory) same = AsLoaded(path);
        else same = then->size == e.size && then->lastWrite == e.lastWrite;
    });
    return listed && same;
}

void Mover::MoveFolders(const ResultList& adds) {
    std::vector<size_t> folders;
    for (size_t i = 0; i < adds.size(); ++i)
        if (adds[i].folder && !adds[i].movedFrom.empty()) folders.push_back(i);
    std::stable_sort(folders.begin(), folders.end(),
                     [&](size_t a, size_t b) { return Depth(adds[a].text) < Depth(adds[b].text); });
    for (size_t i : folders) {
        const ResultEntry& entry = adds[i];
        if (Told(entry)) continue;
        std::string to(EntryPath(entry.text, true)), from(EntryPath(entry.movedFrom, true));
        auto old = files_.Find(Full(from));
        if (!old || !old->directory || old->link || BehindLink(files_, root_, from) || BehindLink(files_, root_, to) ||
            ItemStateOf(files_, Full(to)).present || !AsLoaded(from))
            continue;
        makeFolders_(FolderPart(Full(to)));
        if (!files_.Rename(Full(from), Full(to))) continue;
        ItemRecord record{Outcome::Moved, side_, to, true, false};
        record.movedFrom = from;
        record.before = record.after = {true, true, 0, 0};
        told_.insert(Key(to, true));
        removal_.Tell(std::move(record));
        // What the plan moves with it: each entry below its new place that moves from the same place
        // below its old one. Nothing below it changed since the Load, so each stands as the Load saw it.
        std::string toKey = NameKey(to) + "\\", fromKey = NameKey(from) + "\\";
        for (size_t k = 0; k < adds.size(); ++k) {
            const ResultEntry& inside = adds[k];
            std::string path(EntryPath(inside.text, inside.folder)), was(EntryPath(inside.movedFrom, inside.folder));
            std::string pathKey = NameKey(path);
            if (inside.movedFrom.empty() || !pathKey.starts_with(toKey) ||
                NameKey(was) != fromKey + pathKey.substr(toKey.size()))
                continue;
            ItemRecord along{Outcome::MovedAlong, side_, path, inside.folder, false};
            along.movedFrom = was;
            along.before = along.after = loaded_.Loaded(was, inside.folder).value_or(ItemState{});
            told_.insert(Key(path, inside.folder));
            removal_.Tell(std::move(along));
        }
    }
}

bool Mover::Told(const ResultEntry& entry) const {
    return !told_.empty() && told_.contains(Key(EntryPath(entry.text, entry.folder), entry.folder));
}

bool Mover::MoveFile(const ResultEntry& entry, ItemRecord record) {
    std::string_view to = entry.text, from = entry.movedFrom;
    std::optional<ItemState> then = loaded_.Loaded(from, false);
    std::string source = Full(from), target = Full(to);
    if (!then || ItemStateOf(files_, source) != *then || ItemStateOf(files_, target).present ||
        BehindLink(files_, root_, from) || BehindLink(files_, root_, to))
        return false;
    makeFolders_(FolderPart(target));
    if (!files_.Rename(source, target)) return false;
    record.outcome = Outcome::Moved;
    record.movedFrom = from;
    record.before = *then;
    record.after = ItemStateOf(files_, target);
    removal_.Tell(std::move(record));
    return true;
}

}  // namespace engine
