#include "app/help.h"

#include "platform/file_system.h"

namespace app {

std::string HelpFilePath(std::string_view runPath) {
    for (const char* name : {"\\mirv98.hlp", "\\mirv98.rtf"}) {
        std::string path = std::string(runPath) + name;
        if (platform::FileExists(path)) return path;
    }
    return {};
}

std::string ProductAddress(std::string_view runPath) { return std::string(runPath) + "\\mirv98.rtf"; }

}  // namespace app
