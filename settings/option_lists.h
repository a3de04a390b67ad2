#pragma once
// What the Options dialog's add and remove buttons do to the lists of the settings.
#include <string>
#include <string_view>
#include <vector>

#include "settings/settings.h"

namespace settings {

// Appends the typed text (extension columns get a leading "." unless they have one); an entry
// already present is added again. Empty text adds nothing. Returns whether it added.
bool AddFilterEntry(std::vector<std::string>& list, std::string_view typed, bool extensionColumn);

// Removes every selected entry and every entry equal to the typed text (exactly, as typed).
void RemoveFilterEntries(std::vector<std::string>& list, const std::vector<size_t>& selected, std::string_view typed);

// Adds the pair when both sides are given and differ. Returns whether it added.
bool AddFolderPair(Settings& settings, std::string_view first, std::string_view second);

// Removes every pair whose First Folder is selected or equals the typed First Folder.
void RemoveFolderPairs(Settings& settings, const std::vector<size_t>& selectedFirst, std::string_view typedFirst);

}  // namespace settings
