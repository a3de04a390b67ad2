#pragma once
// The orders in which lists keep their entries, and the case folding by which Windows matches names.
#include <string>
#include <string_view>

namespace platform {

// The list views' order: locale-aware and case-sensitive, punctuation before digits before letters
// (the order of lstrcmp). Result < 0, 0 or > 0.
int CompareText(std::string_view a, std::string_view b);
// The list boxes' order: the same, without regard to letter case.
int CompareTextNoCase(std::string_view a, std::string_view b);
// A key equal for two names exactly when Windows takes them for one file name
// (ordinal, ignoring case over all letters, as CompareStringOrdinal does).
std::string FoldCase(std::string_view text);

}  // namespace platform
