#include <gtest/gtest.h>

#include "platform/win32/folder_link.h"

namespace {

TEST(FolderLink, NameSurrogatesOnlyAndFoldersOnly) {
    constexpr DWORD kFolder = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
    struct Case {
        DWORD attributes, tag;
        bool link;
    } cases[] = {
        {kFolder, IO_REPARSE_TAG_MOUNT_POINT, true},  // junctions and mounted volumes
        {kFolder, IO_REPARSE_TAG_SYMLINK, true},
        {kFolder, IO_REPARSE_TAG_CLOUD, false},  // placeholders of cloud storage are the folder itself
        {kFolder, IO_REPARSE_TAG_CLOUD_1, false},
        {kFolder, IO_REPARSE_TAG_ONEDRIVE, false},
        {kFolder, IO_REPARSE_TAG_DEDUP, false},
        {FILE_ATTRIBUTE_DIRECTORY, IO_REPARSE_TAG_SYMLINK, false},  // the tag means nothing without the attribute
        {FILE_ATTRIBUTE_REPARSE_POINT, IO_REPARSE_TAG_SYMLINK, false},  // a file link is no folder link
    };
    for (const Case& c : cases) EXPECT_EQ(platform::IsFolderLink(c.attributes, c.tag), c.link) << std::hex << c.tag;
}

}  // namespace
