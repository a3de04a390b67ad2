#pragma once
// The running program's process and whether another one still runs.
#include <cstdint>

namespace platform {

std::uint32_t CurrentProcessId();
// True while a process of that id runs (also one that this user may not look into).
bool ProcessRunning(std::uint32_t id);

}  // namespace platform
