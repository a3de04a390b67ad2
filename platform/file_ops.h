#pragma once
// What the sync engine does to files and folders. Virtual so that tests can put faults between the
// engine and the disk; SystemFileOps() is the real file system.
// Paths are UTF-8 in the Windows form ("C:\Data\file.txt"); the POSIX side maps "\" to "/".
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/clock.h"

namespace platform {

// The Windows attribute bits the engine looks at. Natively: read-only = no owner write permission,
// hidden = a name starting with ".".
enum FileAttribute : std::uint32_t {
    kAttrReadOnly = 0x01,
    kAttrHidden = 0x02,
    kAttrSystem = 0x04,
    kAttrDirectory = 0x10,
    kAttrArchive = 0x20,
};

struct FileInfo {
    std::string name;  // the name alone, in the letter case the file system keeps
    bool directory = false;
    std::int64_t size = 0;
    FileTime lastWrite = 0;
    std::uint32_t attributes = 0;
    // A folder that stands for another one elsewhere: a junction, a symbolic link or a mount point,
    // not a cloud placeholder.
    bool link = false;
    // What the volume knows the file by, kept across renames and moves within it (the file index;
    // natively the inode). 0 where the volume keeps none that lasts (FAT, a network share), and from Find.
    std::uint64_t fileId = 0;
};

// Which file a name leads to, and how many names the file has.
struct FileIdentity {
    std::uint64_t volume = 0, index = 0;
    std::uint32_t links = 0;
    bool operator==(const FileIdentity&) const = default;
};

// The bytes of a copy written so far and the source's size; answers whether the copy may go on.
using CopyProgress = std::function<bool(std::int64_t copied, std::int64_t size)>;

class FileOps {
public:
    virtual ~FileOps() = default;

    // Calls visit for every entry of the folder except "." and "..", every attribute accepted, in
    // the order the file system returns them. False, with the system's error set, when the folder
    // cannot be read, or when its listing breaks off before its end (after what was visited so far).
    // visit may enumerate other folders (the scan descends from inside it).
    virtual bool Enumerate(std::string_view folder, const std::function<void(const FileInfo&)>& visit) = 0;
    // The first entry matching the path (wildcards allowed on Windows); nullopt when none does.
    virtual std::optional<FileInfo> Find(std::string_view path) = 0;
    // Writes target, replacing a file of that name, with source's contents, last-write time and
    // attributes. A failure may leave target partly written; the caller removes it. progress, when
    // given, is told how far the copy of a large file has come every few milliseconds, on the calling
    // thread (see CopyInPieces); its false stops the copy, which then fails.
    virtual bool CopyToFile(std::string_view source, std::string_view target, const CopyProgress& progress) = 0;
    // Puts from in the place of to in one step. Fails, leaving both as they were, when to is read-only
    // (or, on Windows, hidden).
    virtual bool MoveReplacing(std::string_view from, std::string_view to) = 0;
    // False, with the system's error set, where MoveReplacing would refuse to replace the file at path.
    virtual bool CanReplace(std::string_view path) = 0;
    // Gives the file at from the name to, in the same folder; fails when to exists.
    virtual bool Rename(std::string_view from, std::string_view to) = 0;
    virtual bool RemoveFile(std::string_view path) = 0;
    // Gives the file at existing a second name, in the same folder; false where the file system has
    // no such names (FAT, a share) or name is taken.
    virtual bool Link(std::string_view existing, std::string_view name) = 0;
    // Takes one name of a file away, even a read-only one, leaving its other names and its attributes
    // as they are.
    virtual bool RemoveName(std::string_view path) = 0;
    virtual std::optional<FileIdentity> Identity(std::string_view path) = 0;
    // Creates one folder; its parent must exist.
    virtual bool CreateFolder(std::string_view path) = 0;
    // Removes a folder only when it is empty; a folder link goes alone, whatever its target holds.
    virtual bool RemoveFolder(std::string_view path) = 0;
    // Leaves the archive attribute alone: clears read-only, hidden and system.
    virtual bool SetArchiveOnly(std::string_view path) = 0;
    virtual bool FolderExists(std::string_view path) = 0;
};

FileOps& SystemFileOps();

}  // namespace platform
