// The settings file parser, on raw text and on text decoded as LoadSettings decodes it; then the
// derived filter values and the save/load round trip.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "platform/text.h"
#include "platform/utf8.h"
#include "settings/settings.h"

namespace {

constexpr std::string_view kMarkers[] = {":eel", ":efl", ":seo", ":ldir", ":rdir"};

bool SameLists(const settings::Settings& a, const settings::Settings& b) {
    return a.eel == b.eel && a.efl == b.efl && a.seo == b.seo && a.ldir == b.ldir && a.rdir == b.rdir;
}

void CheckEntries(const settings::Settings& s) {
    for (const auto* list : {&s.eel, &s.efl, &s.seo, &s.ldir, &s.rdir})
        for (const std::string& entry : *list) {
            // An empty line closes a section, and lines end at CR or LF; a NUL ends the text.
            MIRV_FUZZ_CHECK(!entry.empty());
            MIRV_FUZZ_CHECK(entry.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos);
        }
}

// The file format cannot hold an entry equal to a marker: reading it back opens that section.
bool HoldsMarkerEntry(const settings::Settings& s) {
    for (const auto* list : {&s.eel, &s.efl, &s.seo, &s.ldir, &s.rdir})
        for (const std::string& entry : *list)
            for (std::string_view marker : kMarkers)
                if (entry == marker) return true;
    return false;
}

// Well-formed UTF-8, the form text has inside the program.
bool IsUtf8(std::string_view text) {
    std::string again;
    for (size_t i = 0; i < text.size();) platform::AppendUtf8(again, platform::NextCodePoint(text, i));
    return again == text;
}

void CheckDerived(bool on, const std::vector<std::string>& entries, const std::string& text,
                  const std::vector<std::string>& lowered) {
    if (!on) {
        MIRV_FUZZ_CHECK(text.empty() && lowered.empty());
        return;
    }
    MIRV_FUZZ_CHECK(lowered.size() == entries.size());
    std::string joined;
    for (size_t i = 0; i < entries.size(); ++i) {
        MIRV_FUZZ_CHECK(lowered[i] == platform::AsciiLower(entries[i]));
        joined += lowered[i] + " ";
    }
    MIRV_FUZZ_CHECK(text == joined);
}

void Exercise(std::string_view text) {
    settings::Settings parsed;
    settings::ParseSettingsText(text, parsed);
    CheckEntries(parsed);

    // Every combination of the filter switches.
    for (int switches = 0; switches < 8; ++switches) {
        settings::Settings s = parsed;
        s.noext = switches & 1;
        s.nofile = switches & 2;
        s.useext = switches & 4;
        settings::DeriveFilterValues(s);
        MIRV_FUZZ_CHECK(s.filterMode == (s.useext ? 2 : s.noext || s.nofile ? 1 : 0));
        CheckDerived(s.noext, s.eel, s.excludedExtText, s.excludedExts);
        CheckDerived(s.nofile, s.efl, s.excludedNameText, s.excludedNames);
        CheckDerived(s.useext, s.seo, s.onlyExtText, s.onlyExts);
        MIRV_FUZZ_CHECK(SameLists(s, parsed));
    }

    std::string formatted = settings::FormatSettingsText(parsed);
    if (HoldsMarkerEntry(parsed)) return;
    settings::Settings again;
    settings::ParseSettingsText(formatted, again);
    MIRV_FUZZ_CHECK(SameLists(again, parsed));
    MIRV_FUZZ_CHECK(settings::FormatSettingsText(again) == formatted);

    // Saved and loaded back through the stored encoding.
    if (!IsUtf8(formatted)) return;
    settings::Settings loaded;
    settings::ParseSettingsText(platform::DecodeStoredText(platform::EncodeStoredText(formatted)), loaded);
    MIRV_FUZZ_CHECK(SameLists(loaded, parsed));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    Exercise(bytes);
    Exercise(platform::DecodeStoredText(bytes));
    return 0;
}
