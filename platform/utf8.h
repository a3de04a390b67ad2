#pragma once
// UTF-8 code points, one at a time.
#include <string>
#include <string_view>

namespace platform {

// Decodes the sequence at i and moves i past it; a malformed byte reads as U+FFFD.
char32_t NextCodePoint(std::string_view text, size_t& i);
void AppendUtf8(std::string& out, char32_t c);

}  // namespace platform
