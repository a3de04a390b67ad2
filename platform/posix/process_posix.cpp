#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

#include "platform/process.h"

namespace platform {

std::uint32_t CurrentProcessId() { return static_cast<std::uint32_t>(getpid()); }

bool ProcessRunning(std::uint32_t id) {
    // 0 and the numbers beyond pid_t would name process groups or nothing at all.
    if (id == 0 || id > static_cast<std::uint32_t>(INT_MAX)) return false;
    return kill(static_cast<pid_t>(id), 0) == 0 || errno == EPERM;
}

}  // namespace platform
