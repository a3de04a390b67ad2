#include "app/shortcut_file.h"

#include <string>

#include "platform/file_system.h"
#include "platform/text.h"

namespace app {

FolderPair ParseShortcutText(std::string_view text) {
    if (auto eof = text.find('\x1A'); eof != std::string_view::npos) text = text.substr(0, eof);
    std::string lines[2];
    for (std::string& line : lines) {
        auto cr = text.find('\r');
        line = std::string(text.substr(0, cr));
        if (cr == std::string_view::npos) {
            text = {};
            break;
        }
        text.remove_prefix(cr + 1);
        if (!text.empty() && text.front() == '\n') text.remove_prefix(1);
    }
    return {lines[0], lines[1]};
}

std::optional<FolderPair> ReadShortcutFile(std::string_view path) {
    // Two paths of the longest length Windows allows fit in far less: a larger file is not read on.
    constexpr size_t kEnough = 256 * 1024;
    std::string bytes;
    if (platform::ReadWholeFile(path, bytes, kEnough) != platform::ReadStatus::Ok) return std::nullopt;
    return ParseShortcutText(platform::DecodeStoredText(bytes));
}

}  // namespace app
