#pragma once
// Where the user guide and the product's address are found.
#include <string>
#include <string_view>

namespace app {

// The help file beside the program: "mirv98.hlp", else "mirv98.rtf"; empty when neither exists.
std::string HelpFilePath(std::string_view runPath);

// The address the About box offers. The product has no web page of its own, so it is the
// user guide installed beside the program.
std::string ProductAddress(std::string_view runPath);

}  // namespace app
