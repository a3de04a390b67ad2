#include <gtest/gtest.h>

#include <windows.h>

#include "platform/file_system.h"
#include "platform/win32/wide.h"

namespace {

std::string CurrentFolder() {
    wchar_t buffer[MAX_PATH];
    std::wstring folder(buffer, GetCurrentDirectoryW(MAX_PATH, buffer));
    if (folder.back() == L'\\') folder.pop_back();
    return platform::Narrow(folder);
}

TEST(LongPath, NamesOfAnAbsolutePathStayAsTheyAre) {
    const std::string here = CurrentFolder();
    const std::pair<std::string, std::string> cases[] = {
        {"C:\\Data\\notes.", "\\\\?\\C:\\Data\\notes."},
        {"C:\\Data\\memo ", "\\\\?\\C:\\Data\\memo "},
        {"C:\\Data\\Sub\\", "\\\\?\\C:\\Data\\Sub\\"},
        {"\\\\server\\share\\a.", "\\\\?\\UNC\\server\\share\\a."},
        {"\\\\?\\C:\\x.", "\\\\?\\C:\\x."},
        // Anything else is made absolute as Windows makes it.
        {"C:\\Data\\..\\Other\\x", "\\\\?\\C:\\Other\\x"},
        {"C:/Data/x", "\\\\?\\C:\\Data\\x"},
        {"sub\\x", "\\\\?\\" + here + "\\sub\\x"},
    };
    for (const auto& [path, expected] : cases) EXPECT_EQ(platform::Narrow(platform::LongPath(path)), expected) << path;
}

TEST(LongPath, AChosenFolderIsMadeAbsoluteOnce) {
    const std::string here = CurrentFolder();
    const std::pair<std::string, std::string> cases[] = {
        {"C:", "C:"}, {"C:\\", "C:"}, {"C:\\Data\\", "C:\\Data"}, {"C:\\Data.", "C:\\Data"}, {"sub", here + "\\sub"},
    };
    for (const auto& [folder, expected] : cases) EXPECT_EQ(platform::FullFolderPath(folder), expected) << folder;
}

}  // namespace
