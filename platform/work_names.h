#pragma once
// The names this program gives its own files in the user's folders: a copy on its way to its place
// ("~mirv98-<process id>-<n>.tmp") and a second name that holds a content while the shell moves it to
// the Recycle Bin ("~mirv98-<process id>-<n>-old report.txt"). The journal names each before it is made;
// the scan passes over only what a journal names, and the next Load finishes what a cut-off run left.
#include <string>
#include <string_view>

namespace platform {

enum class WorkFile { None, TemporaryCopy, OldCopy };

WorkFile WorkFileKind(std::string_view name);

// A name no other file of this or another process has.
std::string TemporaryCopyName();
// A second name for the file named name (a name alone, no folder). Short, whatever the name's length;
// it keeps the start of the name and its extension, so a user who finds one sees whose it is.
std::string OldCopyName(std::string_view name);

}  // namespace platform
