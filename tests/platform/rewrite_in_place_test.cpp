#include <gtest/gtest.h>

#include <string>

#include "platform/rewrite_in_place.h"

namespace {

// A file in memory whose n-th operation fails; a failing write writes half of its bytes first.
class FailingFile final : public platform::RewritableFile {
public:
    FailingFile(std::string content, int failAt) : content(std::move(content)), failAt_(failAt) {}
    bool ReadAll(std::string& bytes) override {
        if (Fails()) return false;
        bytes = content;
        return true;
    }
    bool WriteAt(std::uint64_t offset, std::string_view bytes) override {
        bool fails = Fails();
        if (fails) bytes = bytes.substr(0, bytes.size() / 2);
        if (content.size() < offset + bytes.size()) content.resize(offset + bytes.size());
        content.replace(offset, bytes.size(), bytes);
        return !fails;
    }
    bool SetSize(std::uint64_t size) override {
        if (Fails()) return false;
        content.resize(size);
        return true;
    }
    bool Flush() override { return !Fails(); }

    std::string content;

private:
    bool Fails() { return ++calls_ == failAt_; }
    int calls_ = 0, failAt_;
};

TEST(RewriteInPlace, EveryFailureLeavesTheOldFileByteForByte) {
    const std::string longer = ":eel\r\n.tmp\r\n.bak\r\n\r\n:ldir\r\nC:\\Work\r\n\r\n", shorter = ":efl\r\nx\r\n\r\n";
    struct Case {
        std::string old, fresh;
    } cases[] = {{shorter, longer}, {longer, shorter}, {shorter, shorter + "!"}, {"", longer}, {longer, ""}};
    for (const Case& c : cases) {
        for (int failAt = 1; failAt <= 5; ++failAt) {
            SCOPED_TRACE(testing::Message() << c.old.size() << " to " << c.fresh.size() << " bytes, step " << failAt);
            FailingFile file(c.old, failAt);
            if (platform::RewriteInPlace(file, c.fresh)) EXPECT_EQ(file.content, c.fresh);
            else EXPECT_EQ(file.content, c.old);
        }
        FailingFile file(c.old, 0);
        EXPECT_TRUE(platform::RewriteInPlace(file, c.fresh));
        EXPECT_EQ(file.content, c.fresh);
    }
}

// Records the steps of a replacement; the n-th step fails.
class RecordingReplacement final : public platform::ReplacementFile {
public:
    explicit RecordingReplacement(int failAt) : failAt_(failAt) {}
    bool Write(std::string_view) override { return Step("write"); }
    bool Flush() override { return Step("flush"); }
    bool PutInPlace() override { return Step("replace"); }
    void Discard() override { Step("discard"); }
    std::string steps;

private:
    bool Step(const char* name) {
        steps += steps.empty() ? name : std::string(" ") + name;
        return ++calls_ != failAt_;
    }
    int calls_ = 0, failAt_;
};

TEST(ReplaceWhole, TheOldFileGoesOnlyForANewOneOnTheDisk) {
    const std::pair<int, const char*> cases[] = {
        {0, "write flush replace"},
        {1, "write discard"},
        {2, "write flush discard"},
        {3, "write flush replace discard"},
    };
    for (const auto& [failAt, steps] : cases) {
        RecordingReplacement file(failAt);
        EXPECT_EQ(platform::ReplaceWhole(file, "new"), failAt == 0);
        EXPECT_EQ(file.steps, steps);
    }
}

}  // namespace
