#include <gtest/gtest.h>

#include <string>

#include "platform/process.h"
#include "platform/work_names.h"

namespace {

using platform::WorkFile;

TEST(WorkNames, KindsByNameOnly) {
    struct Case {
        const char* name;
        WorkFile kind;
    };
    for (const Case& c : {Case{"~mirv98-12-0.tmp", WorkFile::TemporaryCopy},
                          Case{"~mirv98-12-3-old report.doc", WorkFile::OldCopy},
                          Case{"~mirv98-12-3-old", WorkFile::OldCopy},
                          Case{"~mirv98-12-3-older.doc", WorkFile::None},
                          Case{"~mirv98-12-3.tmp.txt", WorkFile::None},
                          Case{"~mirv98--3-old a", WorkFile::None},
                          Case{"~mirv98-notes.tmp", WorkFile::None},
                          Case{"report.doc", WorkFile::None}}) {
        EXPECT_EQ(platform::WorkFileKind(c.name), c.kind) << c.name;
    }
}

TEST(WorkNames, AnOldCopysNameIsShortKeepsItsExtensionAndEndsInNoDotOrBlank) {
    const std::string own = "~mirv98-" + std::to_string(platform::CurrentProcessId()) + "-";
    std::string longName = platform::OldCopyName(std::string(250, 'n') + ".docx");
    EXPECT_LE(longName.size(), own.size() + 12 + 4 + 41);
    EXPECT_TRUE(longName.ends_with("nnn.docx"));
    EXPECT_EQ(platform::WorkFileKind(longName), WorkFile::OldCopy);
    for (const char* trimmed : {"notes.", "memo ", "x. . "}) {
        std::string name = platform::OldCopyName(trimmed);
        EXPECT_NE(name.back(), '.') << trimmed;
        EXPECT_NE(name.back(), ' ') << trimmed;
    }
    // An old copy of an old copy keeps the first name, once.
    std::string again = platform::OldCopyName(platform::OldCopyName("a.txt"));
    EXPECT_TRUE(again.ends_with("-old a.txt")) << again;
    EXPECT_EQ(again.find("-old", again.find("-old") + 1), std::string::npos);
    // Cut on a character's edge.
    std::string greek = platform::OldCopyName(std::string(30, 'x') + "\xCE\xB1\xCE\xB2\xCE\xB3\xCE\xB4\xCE\xB5\xCE\xB6");
    EXPECT_NE(static_cast<unsigned char>(greek.back()) & 0xC0, 0xC0);
}

}  // namespace
