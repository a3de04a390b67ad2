#pragma once
// The key under which Windows takes two names for one file name (ordinal, ignoring case over all
// letters). ASCII text is upper-cased here; other text goes through the platform's case folding.
#include <string>
#include <string_view>

#include "platform/collation.h"

namespace engine {

inline bool IsAscii(std::string_view text) {
    for (unsigned char c : text)
        if (c >= 0x80) return false;
    return true;
}

inline std::string NameKey(std::string_view text) {
    if (!IsAscii(text)) return platform::FoldCase(text);
    std::string key(text);
    for (char& c : key)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return key;
}

}  // namespace engine
