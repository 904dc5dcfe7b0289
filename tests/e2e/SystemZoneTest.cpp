// chronel follows the system's zone, not the C library's: CTest runs this program, and the host it
// starts, with TZ=Asia/Tokyo, which Wine's kernel32 reads as Tokyo (UTC+9) and its C library as
// UTC. On Windows the C library reads the zone once at its start, so after the user changes the zone
// it is as wrong as here.
#include "HostRun.h"

#include <gtest/gtest.h>

#include <ctime>

using namespace testing_support;

namespace {

class SystemZoneTest : public testing_support::ClearedSettingsTest {
protected:
    void SetUp() override
    {
        ClearedSettingsTest::SetUp();
        SYSTEMTIME utc = {2026, 12, 1, 7, 0, 0, 0, 0}, local{};
        ASSERT_TRUE(SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local));
        ASSERT_EQ(local.wHour, 9) << "not run with TZ=Asia/Tokyo (run it through ctest)";
        // The C library's zone differs, or this test shows nothing.
        __time32_t midnight = 1796601600;  // 2026-12-07 00:00 UTC
        ASSERT_EQ(_localtime32(&midnight)->tm_hour, 0);
    }
};

// A message reserved in the dialog for 07:00 in Tokyo is stored as 07:00 Tokyo time, goes out at
// 07:00 on the host's clock, and its "Date:" line shows 07:00 +0900.
TEST_F(SystemZoneTest, AReservationIsStoredAndReleasedOnTokyoTimeAndItsDateLineShowsTheZone)
{
    HostLayout host;
    HostRunResult run = host.Run("clear-settings\nsetting UseReserve dword 1\nsetting ChangeDate dword 1\n"
                                 "start 2026-12-07 06:58:00\n"
                                 "at 06:58:01 send-open 1\n"
                                 "at 06:58:02 send-menu 1\n"
                                 "at 06:58:03 reserve-fields\n"
                                 "at 06:58:04 reserve-fill 2026 12 7 7 0\n"
                                 "at 06:58:05 click 送信予約 1\n"
                                 "at 06:58:06 send-header 1\n"
                                 "at 06:58:07 send-post 1\n"
                                 "end 2026-12-07 07:00:05\n");
    ASSERT_EQ(run.exitCode, 0u) << run.log;
    EXPECT_TRUE(run.Has("dialog: fields 2026 12 7 6 58")) << run.log;
    EXPECT_TRUE(run.Has("header 1: X-Reserve-Date: 1796594400\\r\\n")) << run.log;  // 07:00 in Tokyo
    EXPECT_EQ(run.When("api: MarkMail Account1\\Outbox.box\\00000001 " + ReleaseMaskOn()), "2026-12-07 07:00:00.0")
        << run.log;
    std::string released = ReadFileBytes(host.Dir() + "\\Mailbox\\Account1\\Outbox.box\\00000001.qpm");
    EXPECT_NE(released.find("\r\nDate: Mon, 07 Dec 2026 07:00:00 +0900\r\n"), std::string::npos) << released;
}

}  // namespace
