#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "engine/details.h"
#include "engine/file_helpers.h"
#include "tests/engine/engine_fakes.h"
#include "tests/support/test_support.h"

namespace {

namespace fs = std::filesystem;
using engine_testing::FaultyFileOps;
using testing_support::TempFolder;

size_t FileCount(const TempFolder& folder) {
    size_t n = 0;
    for (const auto& e : fs::recursive_directory_iterator(folder.path())) n += e.is_regular_file();
    return n;
}

TEST(EntryPath, BracketsAreTakenOffFoldersOnly) {
    EXPECT_EQ(engine::EntryPath("[Sub\\Inner]", true), "Sub\\Inner");
    EXPECT_EQ(engine::EntryPath("[]", true), "");
    EXPECT_EQ(engine::EntryPath("[notes]", false), "[notes]");  // a file so named
    for (std::string_view text : {"", "[", "]", "[a", "a]", "Sub\\a.txt"})
        EXPECT_EQ(engine::EntryPath(text, false), text);
}

TEST(CreateFolderChain, CreatesMissingParentsSilently) {
    TempFolder t;
    FaultyFileOps files;
    engine::CreateFolderChain(files, t.Core() + "\\A\\B\\C\\");
    EXPECT_TRUE(fs::is_directory(t.path() / "A" / "B" / "C"));
    files.log.clear();
    engine::CreateFolderChain(files, t.Core() + "\\A\\B");
    EXPECT_TRUE(files.log.empty());

    t.Write("file", "x");
    engine::CreateFolderChain(files, t.Core() + "\\file\\below");  // a file in the way: nothing, no error
    EXPECT_FALSE(fs::exists(t.path() / "file" / "below"));

    files.log.clear();
    engine::CreateFolderChain(files, "Q:");
    engine::CreateFolderChain(files, "Q:\\");
    EXPECT_TRUE(files.log.empty());
}

class CopyTest : public ::testing::Test {
protected:
    TempFolder t;
    FaultyFileOps files;
    std::string source = t.Core("new.txt"), destination = t.Core("dest.txt");

    void SetUp() override {
        t.Write("new.txt", "new contents");
        t.Write("dest.txt", "old contents");
    }
};

TEST_F(CopyTest, AFailureLeavesTheOldDestinationAndNoTemporaryFile) {
    files.breakCopy = [](std::string_view) { return true; };
    EXPECT_FALSE(engine::CopyItemFile(files, source, destination));
    EXPECT_EQ(t.Read("dest.txt"), "old contents");
    EXPECT_EQ(FileCount(t), 2u);

    files.breakCopy = [](std::string_view) { return false; };
    files.breakReplace = [](std::string_view) { return true; };
    EXPECT_FALSE(engine::CopyItemFile(files, source, destination));
    EXPECT_EQ(t.Read("dest.txt"), "old contents");
    EXPECT_EQ(FileCount(t), 2u);

    // A read-only copy that cannot be put in place is removed as well.
    engine_testing::MakeReadOnly(t.path() / "new.txt");
    EXPECT_FALSE(engine::CopyItemFile(files, source, destination));
    EXPECT_EQ(FileCount(t), 2u);
}

TEST(ItemSize, SixtyFourBitsAndZeroWhenMissing) {
    TempFolder t;
    {
        std::ofstream(t.path() / "big.bin").flush();
    }
    std::error_code ec;
    fs::resize_file(t.path() / "big.bin", 5ull << 30, ec);  // sparse where the file system allows
    if (!ec) {
        EXPECT_EQ(engine::GetItemSize(platform::SystemFileOps(), t.Core("big.bin")), engine::ByteCount(5) << 30);
    }
    EXPECT_EQ(engine::GetItemSize(platform::SystemFileOps(), t.Core("none.bin")), 0);
}

TEST(ItemDetails, BothCopiesAndTheirDifferences) {
    TempFolder l, r;
    l.Write("a.txt", "12345");
    r.Write("a.txt", "123");
    fs::create_directories(l.path() / "Dir");
    fs::create_directories(r.path() / "Dir");
    auto& files = platform::SystemFileOps();
    engine::ItemDetails d = engine::ShowItemDetails(files, l.Core(), r.Core(), "a.txt");
    EXPECT_EQ(d.label19 + "|" + d.label6 + "|" + d.label25 + "|" + d.label22, "a.txt|5 Bytes|a.txt|3 Bytes");
    EXPECT_TRUE(d.sizeRed);
    auto info = files.Find(l.Core("a.txt"));
    ASSERT_TRUE(info);
    std::uint32_t packed = platform::PackDosTime(platform::ToLocalTime(info->lastWrite));
    EXPECT_EQ(d.label13, platform::FormatDateTime(platform::UnpackDosTime(packed)));

    d = engine::ShowItemDetails(files, l.Core(), r.Core(), "missing.txt");
    EXPECT_EQ(d.label19 + "|" + d.label6 + "|" + d.label13, "|0|0");
    EXPECT_FALSE(d.sizeRed || d.dateRed);
    d = engine::ShowItemDetails(files, l.Core(), r.Core(), "[Dir]");  // a folder entry is not found
    EXPECT_EQ(d.label25 + "|" + d.label22 + "|" + d.label23, "|0|0");

    d = engine::ClearItemDetails();
    EXPECT_EQ(d.label19 + "|" + d.label6 + "|" + d.label13 + "|" + d.label25 + "|" + d.label22 + "|" + d.label23,
              "|0|0||0|0");
}

}  // namespace
