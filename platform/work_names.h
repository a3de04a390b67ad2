#pragma once
// The names this program gives its own files in the user's folders: a copy on its way to its place
// ("~mirv98-<process id>-<n>.tmp") and an old content on its way to the Recycle Bin
// ("~mirv98-<process id>-<n>-old report.txt"). The scan passes over both, so a cut-off Sync never
// lets one be copied to the other side as user content; a later Sync into the folder removes what an
// ended process left: half a copy for good, an old content into the Recycle Bin.
#include <string>
#include <string_view>

namespace platform {

enum class WorkFile { None, TemporaryCopy, OldCopy };

WorkFile WorkFileKind(std::string_view name);

// A name no other file of this or another process has.
std::string TemporaryCopyName();
// The name for the old content of the file named name (a name alone, no folder). Short, whatever the
// name's length, so the shell can recycle it wherever the folder itself is within its limit; it keeps
// the start of the name and its extension, so the Recycle Bin shows what it was.
std::string OldCopyName(std::string_view name);

// Whether the process that named the file may still be at work on it: this one, or a running process
// of that id. A number no process can have leaves no writer.
bool WriterMayRun(std::string_view name);

}  // namespace platform
