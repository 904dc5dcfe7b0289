// The last outcome under ChronelPlug\Status: written whole, read back, and nothing stale left.
#include "TestSupport.h"
#include "../../common/windows/SntpStatus.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

const std::string StatusKey = std::string(PlugKey) + "\\Status";

class SntpStatusTest : public ClearedSettingsTest {};

SntpOutcome Sample()
{
    SntpOutcome outcome;
    outcome.result = SntpClockSet;
    outcome.correctionMs = -123456789012LL;
    outcome.SetTime(2026, 12, 7, 7, 0, 2);
    outcome.SetServer("ntp.example.jp");
    return outcome;
}

TEST_F(SntpStatusTest, AnOutcomeIsStoredWithClearTypesAndReadsBack)
{
    SntpOutcome none;
    EXPECT_FALSE(ReadSntpStatus(&none));
    WriteSntpStatus(Sample());
    DWORD type = 0;
    std::string bytes;
    ASSERT_TRUE(ReadValue(StatusKey, "Time", &type, &bytes));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(bytes, std::string("2026/12/07 07:00:02", 20));
    ASSERT_TRUE(ReadValue(StatusKey, "Server", &type, &bytes));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(std::string(bytes.c_str()), "ntp.example.jp");
    ASSERT_TRUE(ReadValue(StatusKey, "Correction", &type, &bytes));
    EXPECT_EQ(type, static_cast<DWORD>(REG_QWORD));
    uint32_t result = 99, detail = 99;
    ASSERT_TRUE(ReadDword(StatusKey, "Result", &result));
    ASSERT_TRUE(ReadDword(StatusKey, "Detail", &detail));
    EXPECT_EQ(result, 0u);
    EXPECT_EQ(detail, 0u);

    SntpOutcome read;
    ASSERT_TRUE(ReadSntpStatus(&read));
    EXPECT_EQ(read.result, static_cast<uint32_t>(SntpClockSet));
    EXPECT_EQ(read.correctionMs, -123456789012LL);
    EXPECT_STREQ(read.server, "ntp.example.jp");
    EXPECT_EQ(read.year, 2026);
    EXPECT_EQ(read.second, 2);

    // The next outcome replaces every value: nothing of the last one is left.
    SntpOutcome next = Sample();
    next.result = SntpNoRight;
    next.detail = ERROR_PRIVILEGE_NOT_HELD;
    next.correctionMs = 1234;
    next.SetServer("");
    WriteSntpStatus(next);
    ASSERT_TRUE(ReadSntpStatus(&read));
    EXPECT_EQ(read.result, static_cast<uint32_t>(SntpNoRight));
    EXPECT_EQ(read.detail, static_cast<uint32_t>(ERROR_PRIVILEGE_NOT_HELD));
    EXPECT_EQ(read.correctionMs, 1234);
    EXPECT_STREQ(read.server, "");

    // The longest server the record keeps (a longer name is cut to it) comes back whole, and so
    // does one stored without its terminator.
    const std::string longest(sizeof next.server - 1, 'n');
    next.SetServer((longest + "tail").c_str());
    WriteSntpStatus(next);
    ASSERT_TRUE(ReadSntpStatus(&read));
    EXPECT_EQ(std::string(read.server), longest);
    WriteText(StatusKey, "Server", longest, false);
    ASSERT_TRUE(ReadSntpStatus(&read));
    EXPECT_EQ(std::string(read.server), longest);
}

// What a person may have typed into the registry: a correction as a DWORD is read signed; a time
// in another form or a missing result is no record at all.
TEST_F(SntpStatusTest, HandEditedValuesAreReadCarefully)
{
    WriteSntpStatus(Sample());
    WriteDword(StatusKey, "Correction", static_cast<uint32_t>(-250));
    SntpOutcome read;
    ASSERT_TRUE(ReadSntpStatus(&read));
    EXPECT_EQ(read.correctionMs, -250);
    WriteText(StatusKey, "Server", std::string(300, 's'), true);
    ASSERT_TRUE(ReadSntpStatus(&read));
    EXPECT_STREQ(read.server, "");

    WriteText(StatusKey, "Time", "yesterday", true);
    EXPECT_FALSE(ReadSntpStatus(&read));
    WriteSntpStatus(Sample());
    WriteDword(StatusKey, "Time", 5);
    EXPECT_FALSE(ReadSntpStatus(&read));
    WriteSntpStatus(Sample());
    RegDeleteKeyValueA(HKEY_CURRENT_USER, StatusKey.c_str(), "Result");
    EXPECT_FALSE(ReadSntpStatus(&read));
}

}  // namespace
