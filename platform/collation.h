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
// The first part of both orders, as bytes: where two texts' keys differ, their plain order (memcmp,
// shorter first on a common start) is the order of CompareText and of CompareTextNoCase; where they
// are equal (the texts differ at most in case or accents), only those can tell. Made once per entry,
// keys sort a long list without a locale comparison per step. Appended to keys, where many are kept.
void AppendOrderKey(std::string& keys, std::string_view text);
// A key equal for two names exactly when Windows takes them for one file name
// (ordinal, ignoring case over all letters, as CompareStringOrdinal does).
std::string FoldCase(std::string_view text);

}  // namespace platform
