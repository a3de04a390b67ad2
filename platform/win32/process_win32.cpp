#include <windows.h>

#include "platform/process.h"
#include "platform/win32/scoped_handle.h"

namespace platform {

std::uint32_t CurrentProcessId() { return GetCurrentProcessId(); }

bool ProcessRunning(std::uint32_t id) {
    ScopedKernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
    if (!process.valid()) return GetLastError() == ERROR_ACCESS_DENIED;
    DWORD code = 0;
    return !GetExitCodeProcess(process.get(), &code) || code == STILL_ACTIVE;
}

}  // namespace platform
