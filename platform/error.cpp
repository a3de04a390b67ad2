#include "platform/error.h"

namespace platform {

std::string CannotOpenFileText(std::string_view path) {
    return "Cannot open file " + std::string(path);
}

std::string CannotCreateFileText(std::string_view path) {
    return "Cannot create file " + std::string(path);
}

std::string NotAnIntegerText(std::string_view text) {
    return "'" + std::string(text) + "' is not a valid integer value";
}

std::string InvalidDataTypeText(std::string_view name) {
    return "Invalid data type for '" + std::string(name) + "'";
}

}  // namespace platform
