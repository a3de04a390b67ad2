#pragma once
// The shell's Recycle Bin, and the swap that keeps a replaced file's old content for it. Virtual so
// that tests can stand in for a drive without one. Paths as in file_ops.h.
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class RecycleBin {
public:
    virtual ~RecycleBin() = default;
    // Whether the drive holding path keeps a Recycle Bin: fixed drives do, removable drives and
    // network shares do not (the shell would delete there for good).
    virtual bool Serves(std::string_view path) = 0;
    // Moves the files and empty folders named there in one operation, without questions or a
    // progress window. For each path: true when it is gone from its place.
    virtual std::vector<bool> Recycle(const std::vector<std::string>& paths) = 0;
    // Puts from in the place of to in one step, to's old content keeping the name aside (in to's
    // folder). Fails, leaving all as it was, where MoveReplacing would (to read-only, or hidden on Windows).
    virtual bool ReplaceKeeping(std::string_view from, std::string_view to, std::string_view aside) = 0;
};

RecycleBin& SystemRecycleBin();

// The folder of the user's own program data (%LOCALAPPDATA%; natively the XDG data folder).
std::string LocalDataFolder();

// The system's words for the last failure of a file operation on this thread.
std::string LastErrorText();

}  // namespace platform
