#include <windows.h>

#include "platform/session_lock.h"

namespace platform {

namespace {

// "Local\": one per logged-on session, so two users of one machine never wait for each other.
constexpr wchar_t kName[] = L"Local\\Mirravel98.SyncOrUndo";

// The mutex taken at once, or nullptr. A mutex abandoned by a holder that ended is taken all the same:
// what that holder did is in its journal.
HANDLE Take() {
    HANDLE mutex = CreateMutexW(nullptr, FALSE, kName);
    if (!mutex) return nullptr;
    DWORD result = WaitForSingleObject(mutex, 0);
    if (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED) return mutex;
    CloseHandle(mutex);
    return nullptr;
}

void Give(HANDLE mutex) {
    ReleaseMutex(mutex);
    CloseHandle(mutex);
}

}  // namespace

SessionLock::SessionLock() {
    if (HANDLE mutex = Take()) handle_ = reinterpret_cast<std::intptr_t>(mutex);
}

SessionLock::~SessionLock() {
    if (Held()) Give(reinterpret_cast<HANDLE>(handle_));
}

bool SessionLock::HeldElsewhere() {
    HANDLE mutex = Take();
    if (!mutex) return true;
    Give(mutex);
    return false;
}

}  // namespace platform
