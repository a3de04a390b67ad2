#pragma once
// The core writes Windows paths; natively they name the same places with "/" between names.
#include <string>
#include <string_view>

namespace platform {

inline std::string PosixPath(std::string_view path) {
    std::string out(path);
    for (char& c : out)
        if (c == '\\') c = '/';
    return out;
}

}  // namespace platform
