#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <string>

#include "platform/file_system.h"
#include "platform/session_lock.h"

namespace platform {

namespace {

// The stand-in for the session's mutex: a lock on a file of the user's own; the system lets go of it
// when its holder ends.
int Take() {
    std::string path = TemporaryFolder() + "/mirv98-" + std::to_string(getuid()) + ".lock";
    int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return -1;
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) return fd;
    close(fd);
    return -1;
}

}  // namespace

SessionLock::SessionLock() {
    int fd = Take();
    if (fd >= 0) handle_ = fd;
}

SessionLock::~SessionLock() {
    if (Held()) close(static_cast<int>(handle_));
}

bool SessionLock::HeldElsewhere() {
    int fd = Take();
    if (fd < 0) return true;
    close(fd);
    return false;
}

}  // namespace platform
