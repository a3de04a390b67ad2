#pragma once
// A file written at its end, piece by piece, each piece handed to the system at once: when the program
// is cut off, everything appended before stays in the file.
#include <cstdint>
#include <string_view>

namespace platform {

class AppendFile {
public:
    AppendFile() = default;
    ~AppendFile();
    AppendFile(const AppendFile&) = delete;
    AppendFile& operator=(const AppendFile&) = delete;

    // Makes the file (empty when fresh) or opens it to write at its end. Others may read it meanwhile.
    bool Open(std::string_view path, bool fresh);
    bool IsOpen() const { return handle_ != kClosed; }
    bool Append(std::string_view bytes);
    void Close();

private:
    static constexpr std::intptr_t kClosed = -1;
    std::intptr_t handle_ = kClosed;  // a file descriptor, or a Windows handle
};

}  // namespace platform
