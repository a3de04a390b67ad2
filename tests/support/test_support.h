#pragma once
// Shared test fixtures: a temporary folder of the test's own, and ProgramKey made for the test.
#include <filesystem>
#include <map>
#include <string>
#include <string_view>

namespace testing_support {

// A fresh folder, removed with everything in it at the end of the test.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }
    // The folder (or a path below it) as the core writes paths: UTF-8, "\" between names on Windows.
    std::string Core(std::string_view relative = {}) const;
    // Writes a file below the folder, making its parent folders.
    void Write(std::string_view relative, std::string_view bytes) const;
    std::string Read(std::string_view relative) const;
    bool Exists(std::string_view relative) const;
    // Sets a file's last-write time to the given number of days before now.
    void Age(std::string_view relative, int days) const;
    // Every path below the folder ("/" between names): "folder", or a file's size, last-write time to
    // the second and content.
    std::map<std::string, std::string> Snapshot() const;

private:
    std::filesystem::path path_;
};

// ProgramKey exists for the test's lifetime (the program itself never creates it).
class ProgramKey {
public:
    ProgramKey();
    ~ProgramKey();
    ProgramKey(const ProgramKey&) = delete;
    ProgramKey& operator=(const ProgramKey&) = delete;
    // Removes the key now, to test the program without it.
    static void Remove();
#ifdef _WIN32
    // Stores a value that is no text (a number), as another program might; true when stored.
    static bool StoreNumber(const wchar_t* name, unsigned long value);
#endif
};

// A small disk of the test's own, to be filled: an ext4 image mounted through a loop device (under
// Wine seen through drive Z:). It needs root and a loop device; where it cannot be made, why() says
// so and the test is to be skipped.
class SmallDisk {
public:
    explicit SmallDisk(int mebibytes);
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;
    bool ready() const { return why_.empty(); }
    const std::string& why() const { return why_; }
    const std::filesystem::path& path() const { return path_; }
    std::string Core() const;

private:
    std::string unix_;  // the mount point as Linux names it
    std::filesystem::path path_;
    std::string why_;
};

#ifdef _WIN32
// Another program's handle on a file that shares nothing: every open of the file fails with a
// sharing violation while it is held.
class ExclusiveOpen {
public:
    explicit ExclusiveOpen(const std::filesystem::path& path);
    ~ExclusiveOpen();
    ExclusiveOpen(const ExclusiveOpen&) = delete;
    ExclusiveOpen& operator=(const ExclusiveOpen&) = delete;
    bool held() const;

private:
    void* handle_;
};
#endif

}  // namespace testing_support
