#pragma once
// Errors that end a handler and are shown by the application's error handler in a message box.
// They carry the runtime's standard texts, which users of the older program know.
#include <stdexcept>
#include <string>
#include <string_view>

namespace platform {

class AppError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

std::string CannotOpenFileText(std::string_view path);
std::string CannotCreateFileText(std::string_view path);
std::string NotAnIntegerText(std::string_view text);
std::string InvalidDataTypeText(std::string_view name);
inline constexpr std::string_view kListIndexOutOfBounds = "List index out of bounds";

}  // namespace platform
