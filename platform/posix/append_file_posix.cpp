#include <fcntl.h>
#include <unistd.h>

#include "platform/append_file.h"
#include "platform/posix/posix_path.h"

namespace platform {

AppendFile::~AppendFile() { Close(); }

bool AppendFile::Open(std::string_view path, bool fresh) {
    Close();
    int flags = O_WRONLY | O_APPEND | O_CLOEXEC | (fresh ? O_CREAT | O_TRUNC : 0);
    int fd = ::open(PosixPath(path).c_str(), flags, 0644);
    if (fd < 0) return false;
    handle_ = fd;
    return true;
}

bool AppendFile::Append(std::string_view bytes) {
    if (!IsOpen()) return false;
    while (!bytes.empty()) {
        ssize_t n = ::write(static_cast<int>(handle_), bytes.data(), bytes.size());
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

void AppendFile::Close() {
    if (IsOpen()) ::close(static_cast<int>(handle_));
    handle_ = kClosed;
}

}  // namespace platform
