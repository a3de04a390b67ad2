#pragma once
// New content for a file that may be changed but not replaced: the user may write the settings file
// but not add a file beside it (the installation grants only that).
#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// An open file, read and written from its start.
class RewritableFile {
public:
    virtual ~RewritableFile() = default;
    virtual bool ReadAll(std::string& bytes) = 0;
    virtual bool WriteAt(std::uint64_t offset, std::string_view bytes) = 0;
    virtual bool SetSize(std::uint64_t size) = 0;
    virtual bool Flush() = 0;
};

// Gives the file the new bytes so that a failure of any one step leaves it as it was, byte for byte.
// The file first grows to the new size, the one step that needs room on the disk; only then are the
// new bytes written over the old and the file cut to its new size. After a failure the old bytes and
// size go back into the room they had. False when the file did not get the new bytes.
bool RewriteInPlace(RewritableFile& file, std::string_view bytes);

}  // namespace platform
