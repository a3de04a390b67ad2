#pragma once
// Whole-file access and folder facts the program needs outside the sync engine.
// Paths are UTF-8 in the Windows form ("C:\Data\file.txt"); the POSIX side maps "\" to "/".
#include <string>
#include <string_view>

namespace platform {

enum class ReadStatus { Ok, Missing, Failed };

ReadStatus ReadWholeFile(std::string_view path, std::string& bytes);
// Replaces the file in one step: a failed write leaves the former file as it was.
bool WriteWholeFile(std::string_view path, std::string_view bytes);
bool FileExists(std::string_view path);
bool FolderExists(std::string_view path);
bool SetCurrentFolder(std::string_view path);
// The folder of the running program, without a trailing separator.
std::string ExecutableFolder();
// The user's folder for temporary files, without a trailing separator.
std::string TemporaryFolder();

}  // namespace platform
