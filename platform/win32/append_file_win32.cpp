#include <windows.h>

#include <algorithm>

#include "platform/append_file.h"
#include "platform/win32/wide.h"

namespace platform {

namespace {
HANDLE AsHandle(std::intptr_t h) { return reinterpret_cast<HANDLE>(h); }
}  // namespace

AppendFile::~AppendFile() { Close(); }

bool AppendFile::Open(std::string_view path, bool fresh) {
    Close();
    HANDLE h = CreateFileW(LongPath(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                           fresh ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    handle_ = reinterpret_cast<std::intptr_t>(h);
    return true;
}

bool AppendFile::Append(std::string_view bytes) {
    if (!IsOpen()) return false;
    while (!bytes.empty()) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 20)), written = 0;
        if (!WriteFile(AsHandle(handle_), bytes.data(), chunk, &written, nullptr) || written == 0) return false;
        bytes.remove_prefix(written);
    }
    return true;
}

void AppendFile::Close() {
    if (IsOpen()) CloseHandle(AsHandle(handle_));
    handle_ = kClosed;
}

}  // namespace platform
