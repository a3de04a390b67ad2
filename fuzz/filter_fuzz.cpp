// The scan's name filter and name split. Input lines: "e:" an excluded extension, "n:" an excluded
// name (wildcards allowed), "o:" an only-extension, "d:" a folder name to test; any other line is a file
// name to test. Every name is tried in each filter mode against a reference of the matching rules, and
// once more with the filter built through the settings.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/scan.h"
#include "fuzz/fuzz_check.h"
#include "platform/text.h"
#include "settings/settings.h"

namespace {

constexpr size_t kMaxLines = 64;

// The characters of a text: a byte and the UTF-8 continuation bytes after it.
std::vector<std::string_view> Chars(std::string_view text) {
    std::vector<std::string_view> chars;
    for (size_t i = 0; i < text.size();) {
        size_t end = i + 1;
        while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) ++end;
        chars.push_back(text.substr(i, end - i));
        i = end;
    }
    return chars;
}

// The reference wildcard match, by dynamic programming over all prefixes of pattern and name.
bool MatchesWildcards(std::string_view pattern, std::string_view name) {
    std::vector<std::string_view> p = Chars(pattern), n = Chars(name);
    // row[j]: the pattern's first i characters match the name's first j.
    std::vector<char> row(n.size() + 1, 0);
    row[0] = 1;
    for (std::string_view c : p) {
        std::vector<char> next(n.size() + 1, 0);
        if (c.front() == '*') next[0] = row[0];
        for (size_t j = 1; j <= n.size(); ++j) {
            if (c.front() == '*') next[j] = row[j] || next[j - 1];
            else next[j] = row[j - 1] && (c.front() == '?' || c == n[j - 1]);
        }
        row = std::move(next);
    }
    return row[n.size()];
}

std::string Key(std::string_view entry) {
    while (!entry.empty() && entry.back() == ' ') entry.remove_suffix(1);
    return platform::AsciiLower(entry);
}

bool Equals(const std::vector<std::string>& entries, std::string_view part) {
    if (part.empty()) return false;
    for (const std::string& entry : entries)
        if (Key(entry) == part) return true;
    return false;
}

// A name entry with * or ? matches the whole name by its wildcards; any other equals the base or the
// whole name.
bool NameExcluded(const std::vector<std::string>& entries, const engine::NameParts& parts) {
    std::string whole = parts.base + parts.extension;
    for (const std::string& entry : entries) {
        std::string key = Key(entry);
        if (key.empty()) continue;
        if (key.find_first_of("*?") != std::string::npos) {
            if (MatchesWildcards(key, whole)) return true;
        } else if (key == whole || (!parts.base.empty() && key == parts.base)) {
            return true;
        }
    }
    return false;
}

void CheckSplit(std::string_view name) {
    engine::NameParts parts = engine::SplitName(name);
    MIRV_FUZZ_CHECK(parts.base + parts.extension == platform::AsciiLower(name));
    if (parts.extension.empty()) MIRV_FUZZ_CHECK(name.find('.') == std::string_view::npos);
    else MIRV_FUZZ_CHECK(parts.extension.front() == '.' && parts.extension.find('.', 1) == std::string::npos);
}

// Folders and files are tested alike, so the folder lines only widen the names tried.
void CheckPasses(const engine::ScanOptions& options, std::string_view name) {
    bool passes = engine::ItemFilter(options).Passes(name);
    engine::NameParts parts = engine::SplitName(name);
    switch (options.filterMode) {
        case 1:
            MIRV_FUZZ_CHECK(passes == !(Equals(options.excludedExts, parts.extension) ||
                                        NameExcluded(options.excludedNames, parts)));
            break;
        case 2:
            MIRV_FUZZ_CHECK(passes == Equals(options.onlyExts, parts.extension));
            break;
        default:
            MIRV_FUZZ_CHECK(passes);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    engine::ScanOptions options;
    settings::Settings stored;
    std::vector<std::string> names;
    for (size_t n = 0; !bytes.empty() && n < kMaxLines; ++n) {
        size_t end = bytes.find('\n');
        std::string_view line = bytes.substr(0, end);
        bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
        std::string_view tag = line.substr(0, 2), rest = line.substr(line.size() < 2 ? line.size() : 2);
        if (tag == "e:") {
            options.excludedExts.emplace_back(rest);
            stored.eel.emplace_back(rest);
        } else if (tag == "n:") {
            options.excludedNames.emplace_back(rest);
            stored.efl.emplace_back(rest);
        } else if (tag == "o:") {
            options.onlyExts.emplace_back(rest);
            stored.seo.emplace_back(rest);
        } else {
            names.emplace_back(tag == "d:" ? rest : line);
        }
    }

    for (const std::string& name : names) {
        CheckSplit(name);
        for (int mode : {0, 1, 2}) {
            options.filterMode = mode;
            CheckPasses(options, name);
        }
    }

    // As the program builds it: the switches pick the mode, the settings lower-case the entries.
    for (int switches = 1; switches < 8; ++switches) {
        stored.noext = switches & 1;
        stored.nofile = switches & 2;
        stored.useext = switches & 4;
        settings::DeriveFilterValues(stored);
        engine::ScanOptions derived = engine::ScanOptionsFrom(stored);
        MIRV_FUZZ_CHECK(derived.filterMode == stored.filterMode);
        for (const std::string& name : names) CheckPasses(derived, name);
    }
    return 0;
}
