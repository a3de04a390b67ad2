#pragma once
// The result-list commands Delete, Ignore, Reverse and Undo, over the model lists. The window gathers
// the focus and the selection, calls these, and redraws; nothing here touches a window.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/lists.h"
#include "platform/file_ops.h"

namespace review {

// ActiveList values: the list holding the focus. A coded entry's origin code is its list's value.
enum ListId : int {
    kNoList = 0,
    klFileAdd1 = 1,
    krFileAdd1 = 2,
    klUpdate1 = 5,
    krUpdate1 = 6,
    kldelfile1 = 7,
    krdelfile1 = 8,
    klignfile1 = 11,
    krignfile1 = 12
};

// A coded entry ("Docs\a.txt 5", "[Old] 1") taken apart: origin code, text without the code, whether
// it is a folder entry (its list keeps the kind from the scan), and the path without a folder's brackets.
struct CodedEntry {
    int origin;
    std::string text;
    bool folder;
    std::string bareName;
};
// nullopt for text that is no coded entry: shorter than 3 characters, no blank before the last
// character, or a last character other than 1, 2, 5 or 6.
std::optional<CodedEntry> DecodeCodedEntry(std::string_view entry, bool folder);

// Each acts on the list that activeList names and on the entries selected there: indices into that list
// as it stands when the command starts, in any order; duplicates and indices out of range are ignored.
// Any other activeList, an empty list or no selection changes nothing. Selected entries are processed
// in list order; one already taken out by an earlier step of the same command is not processed again.

// Moves the entries into the delete lists (ignore lists) as coded entries: an add entry into the list
// of the side where the item exists, an update entry into both. A folder entry of an add list takes the
// entries inside it along. An add that is a move (ResultEntry::movedFrom) waits in an ignore list as a
// move, leaving both places alone; deleted, it is an add again and the old place's deletion, which the
// move stood for, returns to the delete list of the side it is on.
void DeleteEntries(engine::SyncLists& lists, int activeList, const std::vector<size_t>& selected);
void IgnoreEntries(engine::SyncLists& lists, int activeList, const std::vector<size_t>& selected);
// Moves update entries to the other update list, size kept.
void ReverseEntries(engine::SyncLists& lists, int activeList, const std::vector<size_t>& selected);
// Puts coded entries back into the list their origin code names, sized by the copy that a Sync would
// transfer, read below firstFolder or secondFolder (the texts of the two folder fields); a folder entry
// gets 0, a move (an ignored one) comes back as the move with 0. Entries that belong with an undone one
// (the same name, or a folder above it) come back too,
// from this list and from the same side's other coded list; twins leave the other side's list.
// Entries that are no coded entry stay where they are.
void UndoEntries(engine::SyncLists& lists, int activeList, const std::vector<size_t>& selected,
                 platform::FileOps& files, std::string_view firstFolder, std::string_view secondFolder);

}  // namespace review
