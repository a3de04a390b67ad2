#include "settings/option_lists.h"

#include <algorithm>

namespace settings {

namespace {

// The indices to remove: selected, or equal to the typed text.
std::vector<bool> Doomed(const std::vector<std::string>& list, const std::vector<size_t>& selected,
                         std::string_view typed) {
    std::vector<bool> doomed(list.size(), false);
    for (size_t i : selected)
        if (i < doomed.size()) doomed[i] = true;
    if (!typed.empty())
        for (size_t i = 0; i < list.size(); ++i)
            if (list[i] == typed) doomed[i] = true;
    return doomed;
}

template <class T>
void RemoveMarked(std::vector<T>& list, const std::vector<bool>& doomed) {
    size_t kept = 0;
    for (size_t i = 0; i < list.size(); ++i) {
        if (i < doomed.size() && doomed[i]) continue;
        if (kept != i) list[kept] = std::move(list[i]);
        ++kept;
    }
    list.resize(kept);
}

}  // namespace

bool AddFilterEntry(std::vector<std::string>& list, std::string_view typed, bool extensionColumn) {
    if (typed.empty()) return false;
    std::string entry(typed);
    if (extensionColumn && entry.front() != '.') entry.insert(entry.begin(), '.');
    list.push_back(std::move(entry));
    return true;
}

void RemoveFilterEntries(std::vector<std::string>& list, const std::vector<size_t>& selected, std::string_view typed) {
    RemoveMarked(list, Doomed(list, selected, typed));
}

bool AddFolderPair(Settings& settings, std::string_view first, std::string_view second) {
    if (first.empty() || second.empty() || first == second) return false;
    settings.ldir.emplace_back(first);
    settings.rdir.emplace_back(second);
    return true;
}

void RemoveFolderPairs(Settings& settings, const std::vector<size_t>& selectedFirst, std::string_view typedFirst) {
    std::vector<bool> doomed = Doomed(settings.ldir, selectedFirst, typedFirst);
    RemoveMarked(settings.ldir, doomed);
    // The two lists are removed from at the same indices, so the pairs stay together.
    RemoveMarked(settings.rdir, doomed);
}

}  // namespace settings
