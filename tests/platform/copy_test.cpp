// A copy in pieces on a thread of its own: the caller hears how far it has come and may stop it; a whole
// copy keeps the source's bytes and last-write time.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/copy_in_pieces.h"
#include "tests/support/test_support.h"

namespace {

using namespace std::chrono_literals;
using platform::CopyEnd;
using platform::CopyPace;

TEST(CopyInPieces, TheCallerHearsOfASlowCopyAndMayStopIt) {
    const struct {
        const char* name;
        std::int64_t size;
        int failAtPiece;  // 0: never
        int stopAtWord;   // 0: never
        CopyEnd end;
    } cases[] = {
        {"whole", 160 * std::int64_t{CopyPace::kSmallest}, 0, 0, CopyEnd::Done},
        {"stopped before it starts", 160 * std::int64_t{CopyPace::kSmallest}, 0, 1, CopyEnd::Stopped},
        {"stopped on the way", 160 * std::int64_t{CopyPace::kSmallest}, 0, 3, CopyEnd::Stopped},
        {"failing on the way", 160 * std::int64_t{CopyPace::kSmallest}, 5, 0, CopyEnd::Failed},
        {"one piece: nothing to hear", 1000, 0, 1, CopyEnd::Done},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::int64_t left = c.size;
        std::atomic<int> pieces{0};
        // A slow drive: 64 KiB a millisecond.
        auto move = [&](std::size_t piece) -> std::int64_t {
            if (++pieces == c.failAtPiece) return -1;
            std::this_thread::sleep_for(1ms * static_cast<int>(piece / CopyPace::kSmallest));
            std::int64_t moved = std::min<std::int64_t>(left, static_cast<std::int64_t>(piece));
            left -= moved;
            return moved;
        };
        std::vector<std::int64_t> told;
        CopyEnd end = platform::CopyInPieces(c.size, [&](std::int64_t copied, std::int64_t size) {
            EXPECT_EQ(size, c.size);
            told.push_back(copied);
            return static_cast<int>(told.size()) != c.stopAtWord;
        }, move);
        EXPECT_EQ(end, c.end);
        if (c.size <= 1000) {
            EXPECT_TRUE(told.empty());
            continue;
        }
        ASSERT_FALSE(told.empty());
        EXPECT_EQ(told.front(), 0);
        for (size_t i = 1; i < told.size(); ++i) {
            EXPECT_GE(told[i], told[i - 1]);
            EXPECT_LT(told[i], c.size);
        }
        // Nothing moved after a stop before the start; something left after any stop; all after a whole copy.
        if (c.stopAtWord == 1) {
            EXPECT_EQ(pieces, 0);
        }
        EXPECT_EQ(left > 0, c.end != CopyEnd::Done);
    }
}

TEST(CopyInPieces, AFileCopiedWholeOrStoppedBeforeItStarts) {
    testing_support::TempFolder folder;
    std::string bytes(5 * 1024 * 1024 + 123, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7 % 251);
    folder.Write("big.bin", bytes);
    folder.Age("big.bin", 3);
    platform::FileOps& files = platform::SystemFileOps();
    for (bool stop : {false, true}) {
        SCOPED_TRACE(stop ? "stopped" : "whole");
        int words = 0;
        bool copied = files.CopyToFile(folder.Core("big.bin"), folder.Core("copy.bin"), [&](std::int64_t, std::int64_t) {
            ++words;
            return !stop;
        });
        EXPECT_EQ(copied, !stop);
        EXPECT_GE(words, 1);
        if (stop) {
            EXPECT_EQ(std::filesystem::file_size(folder.path() / "copy.bin"), 0u);
        } else {
            EXPECT_TRUE(folder.Read("copy.bin") == bytes);
            EXPECT_EQ(files.Find(folder.Core("copy.bin"))->lastWrite, files.Find(folder.Core("big.bin"))->lastWrite);
        }
    }
}

}  // namespace
