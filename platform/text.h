#pragma once
// Text helpers of the core. Text inside the program is UTF-8.
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Only the ASCII letters change, as the runtime's UpperCase and LowerCase do.
std::string AsciiUpper(std::string_view text);
std::string AsciiLower(std::string_view text);
bool EndsWithNoCase(std::string_view text, std::string_view suffix);
std::string Trim(std::string_view text);

// Files that other programs or older versions wrote are in the system code page, or UTF-8 when
// they start with a byte-order mark.
std::string DecodeStoredText(std::string_view bytes);
// The system code page when every character fits, else UTF-8 with a byte-order mark.
std::string EncodeStoredText(std::string_view utf8);

// The system's 8-bit code page, both ways; nullopt when a character has no form there.
std::string FromSystemCodePage(std::string_view bytes);
std::optional<std::string> ToSystemCodePage(std::string_view utf8);

}  // namespace platform
