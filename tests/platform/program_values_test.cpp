#include <gtest/gtest.h>

#include "platform/program_values.h"
#include "tests/support/test_support.h"

namespace {

TEST(ProgramValues, WrittenValuesReadBackAndMissingOnesAreEmpty) {
    testing_support::ProgramKey key;
    EXPECT_EQ(platform::ReadProgramValue("local"), "");
    platform::WriteProgramValue("local", "C:\\Data");
    platform::WriteProgramValue("slocal", "");
    EXPECT_EQ(platform::ReadProgramValue("local"), "C:\\Data");
    EXPECT_EQ(platform::ReadProgramValue("LOCAL"), "C:\\Data");  // names compare without case
    EXPECT_EQ(platform::ReadProgramValue("slocal"), "");
    platform::WriteProgramValue("local", "D:\\\xE6\x96\x87");
    EXPECT_EQ(platform::ReadProgramValue("local"), "D:\\\xE6\x96\x87");
}

TEST(ProgramValues, WithoutTheKeyReadsAreEmptyAndWritesAreDropped) {
    testing_support::ProgramKey key;
    testing_support::ProgramKey::Remove();
    platform::WriteProgramValue("local", "C:\\Data");
    EXPECT_EQ(platform::ReadProgramValue("local"), "");
}

}  // namespace
