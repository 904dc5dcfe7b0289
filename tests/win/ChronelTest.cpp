// The plug-in's object from start-up to clean-up, against the stand-in host: a call under way
// keeps the object clean-up ends, and the host's later calls find none and do nothing.
#include "FakeHost.h"
#include "plugin/Chronel.h"

#include <gtest/gtest.h>

namespace {

int TimersHeld = 0;

int __stdcall CountSetTimer(int, void*, int)
{
    return ++TimersHeld;
}

int __stdcall CountKillTimer(int)
{
    --TimersHeld;
    return 1;
}

TEST(ChronelTest, ACallUnderWayKeepsTheEndedObjectAndLaterCallsFindNone)
{
    FakeHost host;
    Host.SetTimer = CountSetTimer;
    Host.KillTimer = CountKillTimer;
    TimersHeld = 0;
    ASSERT_TRUE(Chronel::StartUp(Loaded));
    // Started again without a clean-up: the earlier object's timer ends.
    ASSERT_TRUE(Chronel::StartUp(Loaded));
    EXPECT_EQ(TimersHeld, 1);
    {
        ChronelCall underWay;
        ASSERT_TRUE(underWay);
        EXPECT_EQ(Chronel::CleanUp(), 1);
        EXPECT_EQ(TimersHeld, 0);
        EXPECT_FALSE(ChronelCall());
        EXPECT_TRUE(underWay->schedule.View().offersStart);
    }
    const struct {
        const char* call;
        int result;
        int expected;
    } rows[] = {
        {"tick", OnTimer(0, 0), 1},
        {"schedule item", OnScheduleMenu(nullptr, 0), 0},
        {"connect step", ConnectStep(nullptr, 0), 0},
        {"disconnect step", DisconnectStep(nullptr, 0), 0},
        {"clean-up again", Chronel::CleanUp(), 0},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.result, row.expected) << row.call;
    EXPECT_EQ(TimersHeld, 0);
}

}  // namespace
