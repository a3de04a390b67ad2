#include <cstdlib>
#include <fstream>
#include <sstream>
#include <utility>
#include <vector>

#include "platform/file_system.h"
#include "platform/program_values.h"
#include "platform/text.h"

// A file of "name=value" lines stands in for the registry key. Value names compare without regard
// to letter case, as registry names do; "\" and line ends inside values are escaped.
namespace platform {

namespace {

using Values = std::vector<std::pair<std::string, std::string>>;

const char* StorePath() { return std::getenv(kProgramKeyEnvironment); }

std::string Unescape(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            char next = text[++i];
            out += next == 'n' ? '\n' : next == 'r' ? '\r' : next;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string Escape(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '\\') out += "\\\\";
        else if (c == '\n') out += "\\n";
        else if (c == '\r') out += "\\r";
        else out += c;
    }
    return out;
}

bool Load(Values& values) {
    const char* path = StorePath();
    std::string bytes;
    if (!path || ReadWholeFile(path, bytes) != ReadStatus::Ok) return false;
    std::istringstream in(bytes);
    std::string line;
    while (std::getline(in, line)) {
        auto eq = line.find('=');
        if (eq != std::string::npos) values.emplace_back(line.substr(0, eq), Unescape(line.substr(eq + 1)));
    }
    return true;
}

}  // namespace

std::string ReadProgramValue(std::string_view name) {
    Values values;
    if (!Load(values)) return {};
    for (auto& [key, value] : values)
        if (AsciiUpper(key) == AsciiUpper(name)) return value;
    return {};
}

void WriteProgramValue(std::string_view name, std::string_view text) {
    Values values;
    if (!Load(values)) return;
    bool found = false;
    for (auto& [key, value] : values)
        if (AsciiUpper(key) == AsciiUpper(name)) {
            value = text;
            found = true;
        }
    if (!found) values.emplace_back(std::string(name), std::string(text));
    std::string out;
    for (auto& [key, value] : values) out += key + "=" + Escape(value) + "\n";
    WriteWholeFile(StorePath(), out);
}

}  // namespace platform
