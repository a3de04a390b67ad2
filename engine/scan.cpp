#include "engine/scan.h"

#include <algorithm>
#include <chrono>
#include <functional>
#include <future>
#include <unordered_set>

#include "engine/file_helpers.h"
#include "engine/name_key.h"
#include "platform/file_system.h"
#include "platform/recycle_bin.h"
#include "platform/text.h"
#include "platform/work_names.h"
#include "settings/settings.h"

namespace engine {

namespace {

size_t ExtensionStart(std::string_view name) {
    size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? name.size() : dot;
}

bool IsWildcard(char c) { return c == '*' || c == '?'; }

// The end of the character that begins at i: a byte and the UTF-8 continuation bytes after it.
size_t NextChar(std::string_view text, size_t i) {
    for (++i; i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80;) ++i;
    return i;
}

// * matches any run of characters, ? one character, any other character itself. A mismatch lets only the
// last * take one more character, never an earlier one, so the time stays within the pattern's length
// times the name's, whatever the pattern.
bool MatchesPattern(std::string_view pattern, std::string_view name) {
    constexpr size_t kNone = std::string_view::npos;
    size_t p = 0, n = 0, afterStar = kNone, starTook = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            afterStar = p = NextChar(pattern, p);
            starTook = n;
            continue;
        }
        size_t nextN = NextChar(name, n);
        if (p < pattern.size()) {
            size_t nextP = NextChar(pattern, p);
            if (pattern[p] == '?' || pattern.substr(p, nextP - p) == name.substr(n, nextN - n)) {
                p = nextP;
                n = nextN;
                continue;
            }
        }
        if (afterStar == kNone) return false;
        p = afterStar;
        n = starTook = NextChar(name, starTook);
    }
    while (p < pattern.size() && pattern[p] == '*') p = NextChar(pattern, p);
    return p == pattern.size();
}

// An entry as the filter compares it: ASCII letters lower-cased, blanks at its end dropped.
std::string EntryKey(std::string_view entry) {
    size_t end = entry.find_last_not_of(' ');
    return platform::AsciiLower(entry.substr(0, end == std::string_view::npos ? 0 : end + 1));
}

std::vector<std::string> SortedKeys(const std::vector<std::string>& entries, std::vector<std::string>* patterns) {
    std::vector<std::string> keys;
    for (const std::string& entry : entries) {
        std::string key = EntryKey(entry);
        if (key.empty()) continue;
        if (patterns && std::any_of(key.begin(), key.end(), IsWildcard)) patterns->push_back(std::move(key));
        else keys.push_back(std::move(key));
    }
    std::sort(keys.begin(), keys.end());
    return keys;
}

// An extension entry as stored from a typed "*.bak": ".*.bak" (the dialog puts a dot in front) or
// "*.bak". It names what such names end with; "" for any other entry.
std::string_view StarredEnd(std::string_view key) {
    if (key.starts_with(".*")) key.remove_prefix(2);
    else if (key.starts_with('*')) key.remove_prefix(1);
    else return {};
    if (key.size() < 2 || key.front() != '.' || std::any_of(key.begin(), key.end(), IsWildcard)) return {};
    return key;
}

// Extension entries: whole extensions, sorted; the starred ones go to ends (".bak", ".tar.gz").
std::vector<std::string> ExtensionKeys(const std::vector<std::string>& entries, std::vector<std::string>& ends) {
    std::vector<std::string> keys = SortedKeys(entries, nullptr);
    std::erase_if(keys, [&](const std::string& key) {
        std::string_view end = StarredEnd(key);
        if (!end.empty()) ends.emplace_back(end);
        return !end.empty();
    });
    return keys;
}

bool EndsWithAny(const std::vector<std::string>& ends, std::string_view name) {
    return std::any_of(ends.begin(), ends.end(), [&](const std::string& end) { return name.ends_with(end); });
}

bool Holds(const std::vector<std::string>& keys, std::string_view part) {
    return !part.empty() && std::binary_search(keys.begin(), keys.end(), part, std::less<>());
}

class Scanner {
public:
    Scanner(platform::FileOps& files, const ScanOptions& options, ItemList& list, ByteCount& itemTotal, Side side)
        : files_(files), filter_(options), subfolders_(options.useSubfolders), workFiles_(options.workFiles.get()),
          list_(list), total_(itemTotal), side_(side) {}

    // folder ends with a backslash; prefix is its path below the root, with a trailing backslash
    // unless it is the root itself.
    void Walk(const std::string& folder, const std::string& prefix) {
        std::string path;
        // Windows takes two names that differ only in letter case for one. Where a folder tells them
        // apart (Linux, a case-sensitive NTFS folder) only the first found takes part; each other one,
        // with all it holds, is passed over and counted, never lost without a word.
        std::unordered_set<std::string> names;
        bool read = files_.Enumerate(folder, [&](const platform::FileInfo& e) {
            if (!names.insert(NameKey(e.name)).second) {
                ++passedOver_.caseTwins;
                return;
            }
            path.assign(prefix).append(e.name);
            if (e.directory) {
                if (!subfolders_) return;
                if (filter_.Passes(e.name)) AddScannedItem(list_, total_, "[" + path + "]", true, 0, 0, 0, e.link);
                // The filters never stop the descent; a folder link does: what it leads to lies outside
                // the pair (or repeats it), so it is neither entered nor planned.
                if (e.link) {
                    ++passedOver_.links;
                    passedOver_.notRead.push_back({side_, path, true, {}});
                } else {
                    Walk(folder + e.name + "\\", path + "\\");
                }
            } else if (IsWorkFile(folder, e.name)) {
                return;
            } else if (filter_.Passes(e.name)) {
                AddScannedItem(list_, total_, path, false, platform::PackFileTime(e.lastWrite), e.lastWrite, e.size,
                               false, e.fileId);
            }
        });
        // What it holds beyond what was listed is unknown: told, never taken for nothing.
        if (!read)
            passedOver_.notRead.push_back({side_, prefix.empty() ? prefix : prefix.substr(0, prefix.size() - 1), false,
                                           platform::LastErrorText()});
    }

    const PassedOver& Passed() const { return passedOver_; }

private:
    bool IsWorkFile(const std::string& folder, const std::string& name) const {
        return workFiles_ && platform::WorkFileKind(name) != platform::WorkFile::None &&
               workFiles_->contains(NameKey(folder + name));
    }

    platform::FileOps& files_;
    ItemFilter filter_;
    bool subfolders_;
    const std::unordered_set<std::string>* workFiles_;
    ItemList& list_;
    ByteCount& total_;
    Side side_;
    PassedOver passedOver_;
};

}  // namespace

ScanOptions ScanOptionsFrom(const settings::Settings& settings) {
    return ScanOptions{settings.usesubs, settings.filterMode, settings.excludedExts, settings.excludedNames,
                       settings.onlyExts, {}};
}

NameParts SplitName(std::string_view name) {
    std::string lower = platform::AsciiLower(name);
    size_t dot = ExtensionStart(lower);
    return NameParts{lower.substr(dot), lower.substr(0, dot)};
}

ItemFilter::ItemFilter(const ScanOptions& options) : mode_(options.filterMode) {
    excludedExts_ = ExtensionKeys(options.excludedExts, excludedEnds_);
    onlyExts_ = ExtensionKeys(options.onlyExts, onlyEnds_);
    excludedNames_ = SortedKeys(options.excludedNames, &namePatterns_);
}

bool ItemFilter::Passes(std::string_view name) const {
    if (mode_ != 1 && mode_ != 2) return true;
    std::string lower = platform::AsciiLower(name);
    std::string_view whole = lower;
    size_t dot = ExtensionStart(whole);
    std::string_view extension = whole.substr(dot), base = whole.substr(0, dot);
    if (mode_ == 2) return Holds(onlyExts_, extension) || EndsWithAny(onlyEnds_, whole);
    if (Holds(excludedExts_, extension) || EndsWithAny(excludedEnds_, whole) || Holds(excludedNames_, base) ||
        Holds(excludedNames_, whole))
        return false;
    return std::none_of(namePatterns_.begin(), namePatterns_.end(),
                        [&](const std::string& pattern) { return MatchesPattern(pattern, whole); });
}

PassedOver& PassedOver::operator+=(const PassedOver& other) {
    links += other.links;
    caseTwins += other.caseTwins;
    notRead.insert(notRead.end(), other.notRead.begin(), other.notRead.end());
    return *this;
}

void AddScannedItem(ItemList& list, ByteCount& itemTotal, std::string_view pathAsFound, bool folder,
                    std::uint32_t time, platform::FileTime lastWrite, ByteCount size, bool link, std::uint64_t fileId) {
    list.Append(pathAsFound, folder, time, lastWrite, size, link, fileId);
    itemTotal += size;
}

PassedOver ScanFolder(platform::FileOps& files, std::string_view searchPath, std::string_view root,
                      const ScanOptions& options, ItemList& list, ByteCount& itemTotal, Side side) {
    if (searchPath.size() < 3) return {};
    std::string folder(searchPath.substr(0, searchPath.size() - 3));  // without "*.*"
    std::string prefix = folder.size() > root.size() ? folder.substr(root.size()) : std::string();
    if (!prefix.empty() && prefix.front() == '\\') prefix.erase(0, 1);
    Scanner scanner(files, options, list, itemTotal, side);
    scanner.Walk(folder, prefix);
    return scanner.Passed();
}

}  // namespace engine

namespace engine {

PassedOver ScanAndSortPair(platform::FileOps& files, const PairPaths& paths, const ScanOptions& options,
                           SyncLists& lists, ByteTotals& totals, const std::function<void()>& whileWaiting) {
    struct Scanned {
        ItemList list;
        ByteCount total = 0;
        PassedOver passedOver;
    } first, second;
    auto walk = [&](const std::string& search, const std::string& root, Scanned& side) {
        side.passedOver = ScanFolder(files, search, root, options, side.list, side.total,
                                     &side == &first ? Side::First : Side::Second);
    };
    auto sort = [](Scanned& side) { side.list.SetSorted(true); };
    // Where two walks at once would only wait for each other, one thread walks both sides while the
    // other sorts the first.
    const bool oneVolume = !platform::WalkSideBySide(paths.firstRoot, paths.secondRoot);
    std::promise<void> firstWalked;
    std::future<void> firstWalkedLater = firstWalked.get_future();
    // The futures of std::async wait for their threads when destroyed, so no thread outlives the
    // sides, whatever way this function is left.
    std::future<void> firstDone, secondDone;
    if (oneVolume) {
        secondDone = std::async(std::launch::async, [&] {
            try {
                walk(paths.firstSearch, paths.firstRoot, first);
            } catch (...) {
                firstWalked.set_exception(std::current_exception());
                throw;
            }
            firstWalked.set_value();
            walk(paths.secondSearch, paths.secondRoot, second);
            sort(second);
        });
        firstDone = std::async(std::launch::async, [&] {
            firstWalkedLater.get();
            sort(first);
        });
    } else {
        firstDone = std::async(std::launch::async, [&] {
            walk(paths.firstSearch, paths.firstRoot, first);
            sort(first);
        });
        secondDone = std::async(std::launch::async, [&] {
            walk(paths.secondSearch, paths.secondRoot, second);
            sort(second);
        });
    }
    if (whileWaiting) {
        using namespace std::chrono_literals;
        do whileWaiting();
        while (firstDone.wait_for(10ms) != std::future_status::ready ||
               secondDone.wait_for(0ms) != std::future_status::ready);
    }
    firstDone.get();
    secondDone.get();
    lists.lvLocal = std::move(first.list);
    lists.lvRemote = std::move(second.list);
    totals.local.item += first.total;
    totals.remote.item += second.total;
    return first.passedOver += second.passedOver;
}

}  // namespace engine
