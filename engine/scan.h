#pragma once
// The folder scan: one item entry per file and subfolder, under the filters and "Use Subdirectories".
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "engine/lists.h"
#include "engine/sync_log.h"
#include "engine/totals.h"
#include "platform/file_ops.h"

namespace settings {
struct Settings;
}

namespace engine {

struct ScanOptions {
    bool useSubfolders = false;
    int filterMode = 0;  // 0 none, 1 exclusion filters, 2 only the listed extensions
    // The lists' entries one by one: extensions with their dot (".tmp"); names with or without their
    // extension ("readme", "thumbs.db"), or with the wildcards * and ? ("~$*").
    std::vector<std::string> excludedExts, excludedNames, onlyExts;
    // The files this program's runs have left beside the items, or a run still at work is making there
    // (name keys of full paths), passed over: no user file. A file that only looks like one is listed.
    std::shared_ptr<const std::unordered_set<std::string>> workFiles;
};

ScanOptions ScanOptionsFrom(const settings::Settings& settings);

// A name's extension (from its last ".", dot included) and base (the rest), both lower-cased:
// Report.Final.DOC gives .doc and report.final; README gives "" and readme; .profile gives .profile and "".
struct NameParts {
    std::string extension, base;
};
NameParts SplitName(std::string_view name);

// The filter test; folders are tested like files. Entries match whole: an extension entry equals the
// extension, or, written "*.bak" or ".*.bak" (as the dialog stores a typed "*.bak"), the end of the name;
// a name entry equals the base or the whole name, or, holding * (any run of characters) or ? (one
// character), matches the whole name. Only ASCII letters are folded; a blank inside an entry is
// part of it, blanks at its end are not (no Windows name ends with one). An empty extension or base
// matches nothing, so in mode 2 an item without extension never passes.
class ItemFilter {
public:
    explicit ItemFilter(const ScanOptions& options);
    bool Passes(std::string_view name) const;

private:
    int mode_;
    std::vector<std::string> excludedExts_, excludedNames_, onlyExts_;  // lower-cased, sorted
    std::vector<std::string> excludedEnds_, onlyEnds_;                  // starred extension entries
    std::vector<std::string> namePatterns_;                             // name entries with * or ?
};

// Appends an item entry: caption = path as found upper-cased (ASCII), and adds its size to the total.
void AddScannedItem(ItemList& list, ByteCount& itemTotal, std::string_view pathAsFound, bool folder,
                    std::uint32_t time, platform::FileTime lastWrite, ByteCount size, bool link = false,
                    std::uint64_t fileId = 0);

// A folder whose content the item list does not hold, or holds only in part: one the scan could not
// list, or a folder link it passed over.
struct FolderNotRead {
    Side side = Side::First;
    std::string path;  // below the side's root, in the letter case found; "" for the root itself
    bool link = false;
    std::string why;   // the system's words for a folder that could not be listed
};

// What a scan did not follow: folder links (listed, never entered nor planned), names that differ only in
// letter case from one found before them in their folder (not listed), and the folders it did not read.
struct PassedOver {
    size_t links = 0, caseTwins = 0;
    std::vector<FolderNotRead> notRead;  // folder links among them
    PassedOver& operator+=(const PassedOver& other);
};

// Scans searchPath (a folder + "\*.*") below root (no trailing backslash), depth first: a folder's own
// entry comes before what it holds. A folder that cannot be read, or whose listing breaks off, adds what
// was listed before the failure and is told among the folders not read. A folder link (junction, symbolic
// link, mount point) gets its folder entry but is not entered. side names the side in what is told.
PassedOver ScanFolder(platform::FileOps& files, std::string_view searchPath, std::string_view root,
                      const ScanOptions& options, ItemList& list, ByteCount& itemTotal, Side side = Side::First);

// Scans both folders of a pair (the text of each folder field + "\*.*" below its root) into lvLocal and
// lvRemote, replacing what they held, sorts each list and adds the sizes to the item totals. The two
// sides share nothing and are scanned on threads of their own (one after the other where they share a
// volume) into lists of their own, which take their places at the end. Meanwhile the calling thread runs whileWaiting (when given) every few
// milliseconds: the window lets its messages run there, and nothing it can reach is being written.
// Returns what both sides passed over.
struct PairPaths {
    std::string firstSearch, firstRoot, secondSearch, secondRoot;
};
PassedOver ScanAndSortPair(platform::FileOps& files, const PairPaths& paths, const ScanOptions& options,
                           SyncLists& lists, ByteTotals& totals, const std::function<void()>& whileWaiting = {});

}  // namespace engine
