#pragma once
// Whole-file access and folder facts the program needs outside the sync engine.
// Paths are UTF-8 in the Windows form ("C:\Data\file.txt"); the POSIX side maps "\" to "/".
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

namespace platform {

enum class ReadStatus { Ok, Missing, Failed };

// Reads at most limit bytes: a larger file gives its start, so a reader that needs only the start
// of a file cannot be made to fill the memory.
ReadStatus ReadWholeFile(std::string_view path, std::string& bytes,
                         std::size_t limit = std::numeric_limits<std::size_t>::max());
// Replaces the file in one step: a failed write leaves the former file as it was. Where no file can
// be made beside it, Windows rewrites an existing file in place, and a failure leaves it as it was too.
bool WriteWholeFile(std::string_view path, std::string_view bytes);
bool FileExists(std::string_view path);
bool FolderExists(std::string_view path);
bool SetCurrentFolder(std::string_view path);
// A folder chosen by the user as the root of a pass: absolute, without a trailing backslash ("C:" for a
// drive's root), as Windows names it (a trailing dot or blank of the folder's own name cut). The names
// a scan finds below it are appended exactly as found.
std::string FullFolderPath(std::string_view folder);
// The folder of the running program, without a trailing separator.
std::string ExecutableFolder();
// The user's folder for temporary files, without a trailing separator.
std::string TemporaryFolder();
// Whether two folders are best walked at the same time. On Windows only when they lie on different
// volumes: two walks of one disk only wait for each other (and Wine lists one folder at a time).
// Natively always: the file system serves both at once.
bool WalkSideBySide(std::string_view a, std::string_view b);
// What tells the volume holding the folder from another one under the same name (two sticks used in
// turn as one drive letter): its serial number, or where it has none, the folder's own identity on it.
// 0 when neither can be had.
std::uint64_t VolumeIdentity(std::string_view folder);

}  // namespace platform
