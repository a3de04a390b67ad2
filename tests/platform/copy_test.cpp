// A copy in pieces: the caller hears from it between them and may stop it; a whole copy keeps the
// source's bytes and last-write time.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/copy_pace.h"
#include "platform/file_ops.h"
#include "tests/support/test_support.h"

namespace {

using namespace std::chrono_literals;
using platform::CopyPace;

TEST(CopyInPieces, ProgressBetweenPiecesAndAStopThatEndsTheCopy) {
    testing_support::TempFolder folder;
    std::string bytes(5 * 1024 * 1024 + 123, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7 % 251);
    folder.Write("big.bin", bytes);
    folder.Age("big.bin", 3);
    platform::FileOps& files = platform::SystemFileOps();
    const auto size = static_cast<std::int64_t>(bytes.size());
    for (bool stop : {false, true}) {
        SCOPED_TRACE(stop ? "stopped at the first word" : "whole");
        std::vector<std::int64_t> told;
        bool copied = files.CopyToFile(folder.Core("big.bin"), folder.Core("copy.bin"), [&](std::int64_t at, std::int64_t of) {
            EXPECT_EQ(of, size);
            told.push_back(at);
            return !stop;
        });
        EXPECT_EQ(copied, !stop);
        ASSERT_FALSE(told.empty());
        // Told only between pieces: never at the end, every time further on.
        for (size_t i = 0; i < told.size(); ++i) {
            EXPECT_GT(told[i], i ? told[i - 1] : 0);
            EXPECT_LT(told[i], size);
        }
        if (stop) {
            EXPECT_EQ(told.size(), 1u);
            EXPECT_LT(std::filesystem::file_size(folder.path() / "copy.bin"), bytes.size());
        } else {
            EXPECT_EQ(folder.Read("copy.bin"), bytes);
            EXPECT_EQ(files.Find(folder.Core("copy.bin"))->lastWrite, files.Find(folder.Core("big.bin"))->lastWrite);
        }
    }
}

TEST(CopyInPieces, PiecesShrinkOnASlowDriveWithinTheirBounds) {
    const struct {
        std::chrono::microseconds took;
        size_t next;
    } cases[] = {
        {20ms, 1024 * 1024},            // as aimed
        {80ms, 256 * 1024},             // a stick written through
        {5s, CopyPace::kSmallest},      // a stalled share
        {1ms, CopyPace::kLargest},      // the page cache
        {0ms, CopyPace::kLargest},      // faster than the clock
        {30ms, 640 * 1024},             // whole 64 KiB blocks: 1 MiB * 2/3 rounded down
    };
    for (const auto& c : cases) {
        CopyPace pace;
        pace.Took(c.took);
        EXPECT_EQ(pace.Piece(), c.next) << c.took.count() << " us";
    }
}

}  // namespace
