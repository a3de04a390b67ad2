// The folder-pair shortcut reader: the stored bytes decoded as ReadShortcutFile does, then parsed;
// the parse is also compared with a plain reading of the documented rules.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "app/shortcut_file.h"
#include "fuzz/fuzz_check.h"
#include "platform/text.h"
#include "platform/utf8.h"

namespace {

// Lines end at CR, an LF right after it belongs to the line end, Ctrl-Z ends the text.
app::FolderPair Expected(std::string_view text) {
    text = text.substr(0, text.find('\x1A'));
    size_t cr = text.find('\r');
    if (cr == std::string_view::npos) return {std::string(text), ""};
    std::string first(text.substr(0, cr));
    std::string_view rest = text.substr(cr + 1);
    if (!rest.empty() && rest.front() == '\n') rest.remove_prefix(1);
    return {first, std::string(rest.substr(0, rest.find('\r')))};
}

void Exercise(std::string_view text) {
    app::FolderPair pair = app::ParseShortcutText(text);
    for (const std::string* line : {&pair.first, &pair.second})
        MIRV_FUZZ_CHECK(line->find_first_of("\r\x1A") == std::string::npos);
    MIRV_FUZZ_CHECK(pair == Expected(text));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::string decoded = platform::DecodeStoredText(bytes);
    // Without a byte-order mark every byte is one character of the code page.
    if (!bytes.starts_with("\xEF\xBB\xBF")) {
        size_t characters = 0;
        for (size_t i = 0; i < decoded.size(); ++characters) platform::NextCodePoint(decoded, i);
        MIRV_FUZZ_CHECK(characters == bytes.size());
    }
    Exercise(decoded);
    Exercise(bytes);
    return 0;
}
