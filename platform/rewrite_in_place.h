#pragma once
// New content for a whole file: a new file put in its place, or, where the user may write the settings
// file but not add a file beside it (the installation grants only that), the file rewritten in place.
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

// A new file written beside the one it replaces, then put in its place.
class ReplacementFile {
public:
    virtual ~ReplacementFile() = default;
    virtual bool Write(std::string_view bytes) = 0;  // makes the new file, beside the old one
    virtual bool Flush() = 0;                        // from the system's cache to the disk
    virtual bool PutInPlace() = 0;                   // the new file takes the old one's place in one step
    virtual void Discard() = 0;                      // removes the new file
};

// The old file is replaced only by a new one that is on the disk in whole: a power cut just after the
// replacement finds the new content, never an empty file. A failure leaves the old file as it was and
// no new file beside it.
bool ReplaceWhole(ReplacementFile& file, std::string_view bytes);

// Gives the file the new bytes so that a failure of any one step leaves it as it was, byte for byte.
// The file first grows to the new size, the one step that needs room on the disk; only then are the
// new bytes written over the old and the file cut to its new size. After a failure the old bytes and
// size go back into the room they had. False when the file did not get the new bytes.
bool RewriteInPlace(RewritableFile& file, std::string_view bytes);

}  // namespace platform
