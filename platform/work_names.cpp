#include "platform/work_names.h"

#include <atomic>
#include <cstdint>

#include "platform/process.h"

namespace platform {

namespace {

constexpr std::string_view kPrefix = "~mirv98-", kTemporarySuffix = ".tmp", kOldMark = "-old";
// Of the original name an old copy's name keeps at most this many bytes, and an extension only up
// to the second number.
constexpr size_t kKeptName = 40, kKeptExtension = 12;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The length of "<digits>-<digits>" at the start of text, 0 when it is not there.
size_t NumbersLength(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && IsDigit(text[i])) ++i;
    if (i == 0 || i >= text.size() || text[i] != '-') return 0;
    size_t second = ++i;
    while (i < text.size() && IsDigit(text[i])) ++i;
    return i == second ? 0 : i;
}

std::string Numbered() {
    static std::atomic<unsigned> counter{0};
    return std::string(kPrefix) + std::to_string(CurrentProcessId()) + "-" + std::to_string(counter++);
}

// Cuts text to at most n bytes without splitting a UTF-8 character.
std::string_view Head(std::string_view text, size_t n) {
    if (text.size() <= n) return text;
    while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
    return text.substr(0, n);
}

}  // namespace

WorkFile WorkFileKind(std::string_view name) {
    if (!name.starts_with(kPrefix)) return WorkFile::None;
    std::string_view rest = name.substr(kPrefix.size());
    size_t numbers = NumbersLength(rest);
    if (numbers == 0) return WorkFile::None;
    rest.remove_prefix(numbers);
    if (rest == kTemporarySuffix) return WorkFile::TemporaryCopy;
    if (rest.starts_with(kOldMark) && (rest.size() == kOldMark.size() || rest[kOldMark.size()] == ' '))
        return WorkFile::OldCopy;
    return WorkFile::None;
}

std::string TemporaryCopyName() { return Numbered() + std::string(kTemporarySuffix); }

std::string OldCopyName(std::string_view name) {
    // The old content of an old content keeps the first name, not a chain of marks.
    while (WorkFileKind(name) == WorkFile::OldCopy) {
        size_t blank = name.find(' ');
        name = blank == std::string_view::npos ? std::string_view() : name.substr(blank + 1);
    }
    // A name ending in a dot or a blank would be trimmed by the shell, and name another file.
    while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.remove_suffix(1);
    size_t dot = name.rfind('.');
    std::string_view extension =
        dot != std::string_view::npos && dot > 0 && name.size() - dot <= kKeptExtension ? name.substr(dot) : "";
    std::string_view stem = name.substr(0, name.size() - extension.size());
    std::string kept = std::string(Head(stem, kKeptName - extension.size())) + std::string(extension);
    std::string result = Numbered() + std::string(kOldMark);
    return kept.empty() ? result : result + " " + kept;
}

}  // namespace platform
