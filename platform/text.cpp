#include "platform/text.h"

#include <algorithm>

namespace platform {

namespace {
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
}

std::string AsciiUpper(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

std::string AsciiLower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

bool EndsWithNoCase(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() &&
           AsciiUpper(text.substr(text.size() - suffix.size())) == AsciiUpper(suffix);
}

std::string Trim(std::string_view text) {
    // The runtime's Trim drops blanks and control characters at both ends.
    auto isSpace = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    auto first = std::find_if_not(text.begin(), text.end(), isSpace);
    auto last = std::find_if_not(text.rbegin(), text.rend(), isSpace).base();
    return first < last ? std::string(first, last) : std::string();
}

std::string DecodeStoredText(std::string_view bytes) {
    if (bytes.starts_with(kUtf8Bom)) return std::string(bytes.substr(kUtf8Bom.size()));
    return FromSystemCodePage(bytes);
}

std::string EncodeStoredText(std::string_view utf8) {
    if (auto narrow = ToSystemCodePage(utf8)) return *narrow;
    return std::string(kUtf8Bom) + std::string(utf8);
}

}  // namespace platform
