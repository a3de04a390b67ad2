// The scan's name filter and name split. Input lines: "e:" an excluded extension, "n:" an excluded
// name, "o:" an only-extension, "d:" a folder name to test; any other line is a file name to test.
// Every name is tried in each filter mode, and once more with the filter built through the settings.
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

bool IsAscii(std::string_view text) {
    for (unsigned char c : text)
        if (c >= 0x80) return false;
    return true;
}

// Whole-entry matching without regard to ASCII case; an empty part matches nothing.
bool MatchesAscii(const std::vector<std::string>& entries, std::string_view part) {
    if (part.empty()) return false;
    std::string lower = platform::AsciiLower(part);
    for (const std::string& entry : entries)
        if (platform::AsciiLower(entry) == lower) return true;
    return false;
}

void CheckSplit(std::string_view name) {
    engine::NameParts parts = engine::SplitName(name);
    MIRV_FUZZ_CHECK(parts.base + parts.extension == platform::AsciiLower(name));
    if (parts.extension.empty()) MIRV_FUZZ_CHECK(name.find('.') == std::string_view::npos);
    else MIRV_FUZZ_CHECK(parts.extension.front() == '.' && parts.extension.find('.', 1) == std::string::npos);
}

void CheckPasses(const engine::ScanOptions& options, std::string_view name, bool directory) {
    bool passes = engine::ItemFilter(options).Passes(name, directory);
    engine::NameParts parts = engine::SplitName(name);
    bool ascii = IsAscii(name);
    for (const auto* list : {&options.excludedExts, &options.excludedNames, &options.onlyExts})
        for (const std::string& entry : *list) ascii = ascii && IsAscii(entry);
    switch (options.filterMode) {
        case 0:
            MIRV_FUZZ_CHECK(passes);
            break;
        case 1: {
            bool excluded = MatchesAscii(options.excludedExts, parts.extension) ||
                            MatchesAscii(options.excludedNames, parts.base);
            if (excluded) MIRV_FUZZ_CHECK(!passes);
            else if (ascii) MIRV_FUZZ_CHECK(passes);
            break;
        }
        case 2:
            if (directory) MIRV_FUZZ_CHECK(!passes);
            else if (MatchesAscii(options.onlyExts, parts.extension)) MIRV_FUZZ_CHECK(passes);
            else if (ascii) MIRV_FUZZ_CHECK(!passes);
            break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    engine::ScanOptions options;
    settings::Settings stored;
    struct Name {
        std::string text;
        bool directory;
    };
    std::vector<Name> names;
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
            names.push_back({std::string(tag == "d:" ? rest : line), tag == "d:"});
        }
    }

    for (const Name& name : names) {
        CheckSplit(name.text);
        for (int mode : {0, 1, 2}) {
            options.filterMode = mode;
            CheckPasses(options, name.text, name.directory);
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
        for (const Name& name : names) CheckPasses(derived, name.text, name.directory);
    }
    return 0;
}
