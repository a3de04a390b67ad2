#pragma once
// The shell's Recycle Bin. Virtual so that tests can stand in for a drive whose bin refuses, fails or
// destroys what it is given. Paths as in file_ops.h.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"

namespace platform {

// What the Recycle Bin of the volume holding a path does.
struct BinVolume {
    enum class Kind {
        // The shell would delete there for good: not a fixed drive (a stick, a share), or a drive whose
        // bin the user turned off (its "remove files immediately" setting, or the policy against it).
        None,
        Serves,   // takes what is given to it
        Refuses,  // a fixed drive whose bin takes nothing: missing or unusable
    };
    Kind kind = Kind::None;
    std::string drive;    // as the user knows it: "C:", or the folder a volume is mounted on
    std::string refusal;  // why a Refuses bin takes nothing
    std::int64_t largest = -1;  // the largest file it keeps; -1 when no limit is known
};

// Where one path went.
enum class Recycled {
    InBin,      // in the bin, gone from its place
    Refused,    // the bin did not take it: it is still at its place, whole
    InUse,      // another program holds it: still at its place
    Failed,     // still at its place for another reason (the error tells)
    Destroyed,  // gone from its place and not in the bin: the shell deleted it for good
};

struct RecycleResult {
    Recycled result = Recycled::Failed;
    std::string error;  // the system's words, for Failed
};

// An item in the bin as this program knows it: recycled from path, by its own name, within a time
// window (file times), of a size and a last-write time of its own (0: not known). Another item of that
// name from that folder, recycled at another moment or of another content, is somebody else's.
struct BinItem {
    std::string path;
    FileTime from = 0, until = 0;
    std::int64_t size = 0;
    FileTime lastWrite = 0;
};

class RecycleBin {
public:
    virtual ~RecycleBin() = default;
    virtual BinVolume Volume(std::string_view path) = 0;
    // Why the bin could not take the file at path, whatever its volume ("" when nothing speaks against
    // it): the shell trims a name ending in a dot or a blank (and would move another file), and takes
    // only paths within its length limit.
    virtual std::string PathRefusal(std::string_view path) = 0;
    // The shell's own move of the files into the bin, by their own names, as Explorer's Delete puts
    // them there, in one operation, without questions or a progress window. What it answers is not
    // trusted: the caller looks at each file afterwards (engine/recycle.h).
    virtual void MoveToBin(const std::vector<std::string>& paths) = 0;
    // Why a file still at its place after MoveToBin is there.
    virtual RecycleResult WhyStillThere(const std::string& path) = 0;
    // For each item, whether the bin holds it, read once.
    virtual std::vector<bool> Holds(const std::vector<BinItem>& items) = 0;
    // Puts back where it came from each item, through the bin's own restore, never over a file that is
    // there and only into a folder that is there. The bin is read once; the files go back a few at a
    // time, and between them goOn is asked whether to go on (a window lets its messages run there).
    // For each item, whether a file is back at its path.
    virtual std::vector<bool> Restore(const std::vector<BinItem>& items, const std::function<bool()>& goOn) = 0;
};

RecycleBin& SystemRecycleBin();

// The folder of the user's own program data (%LOCALAPPDATA%; natively the XDG data folder).
std::string LocalDataFolder();

// The system's words for the last failure of a file operation on this thread.
std::string LastErrorText();

}  // namespace platform
