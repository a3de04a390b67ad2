// The command-line parser. Each NUL ends an argument; text after the last NUL is one more.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/command_line.h"
#include "fuzz/fuzz_check.h"
#include "platform/text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> arguments;
    while (!bytes.empty()) {
        size_t end = bytes.find('\0');
        arguments.emplace_back(bytes.substr(0, end));
        bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
    }

    app::CommandLine c = app::ParseCommandLine(arguments);
    MIRV_FUZZ_CHECK(c.argumentCount == arguments.size());
    MIRV_FUZZ_CHECK(c.firstArgument == (arguments.empty() ? std::string() : arguments.front()));

    // A shortcut file, a start-mode switch, or a switch with a folder pair.
    if (!c.shortcutPath.empty()) {
        MIRV_FUZZ_CHECK(arguments.size() == 1);
        MIRV_FUZZ_CHECK(c.shortcutPath == platform::AsciiUpper(platform::Trim(arguments[0])));
        MIRV_FUZZ_CHECK(c.shortcutPath.ends_with(".MVP"));
        MIRV_FUZZ_CHECK(c.mode == app::StartMode::None && !c.handover);
    }
    if (c.handover) {
        MIRV_FUZZ_CHECK(arguments.size() == 3);
        MIRV_FUZZ_CHECK(c.handover->first == platform::AsciiLower(arguments[1]));
        MIRV_FUZZ_CHECK(c.handover->second == platform::AsciiLower(arguments[2]));
    }
    if (c.mode != app::StartMode::None) MIRV_FUZZ_CHECK(arguments.size() == 1 || arguments.size() == 3);
    if (arguments.size() != 1 && arguments.size() != 3)
        MIRV_FUZZ_CHECK(c.mode == app::StartMode::None && !c.handover && c.shortcutPath.empty());
    return 0;
}
