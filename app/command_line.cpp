#include "app/command_line.h"

#include "platform/text.h"

namespace app {

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
    CommandLine result;
    result.argumentCount = arguments.size();
    if (!arguments.empty()) result.firstArgument = arguments.front();

    if (arguments.size() == 1) {
        const std::string& only = arguments.front();
        if (std::string trimmed = platform::Trim(only); platform::EndsWithNoCase(trimmed, ".mvp")) {
            result.shortcutPath = platform::AsciiUpper(trimmed);
            return result;
        }
        std::string the_switch = platform::AsciiLower(only);
        if (the_switch == "-wiz") result.mode = StartMode::Wizard;
        else if (the_switch == "-autosingle") result.mode = StartMode::AutoSingle;
        else if (the_switch == "-automulti") result.mode = StartMode::AutoMulti;
        else if (the_switch == "-undo") result.undo = true;
    } else if (arguments.size() == 3) {
        result.handover = FolderPair{platform::AsciiLower(arguments[1]), platform::AsciiLower(arguments[2])};
        if (platform::AsciiLower(arguments[0]) == "-auto") result.mode = StartMode::Wizard;
    }
    return result;
}

}  // namespace app
