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

int Commands = 0;

LRESULT CALLBACK CountCommands(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    Commands += message == WM_COMMAND;
    return DefWindowProcA(window, message, wParam, lParam);
}

// A host that runs its message loop inside the scan's mark (its own box) may clean up there: the
// release under way ends, and nothing more is marked or started on the schedule clean-up ended.
TEST(ChronelTest, ACleanUpInsideTheScansMarkEndsTheScanAndStartsNoRun)
{
    FakeHost host;
    Host.SetTimer = CountSetTimer;
    Host.KillTimer = CountKillTimer;
    host.Write("Account1\\Outbox.box\\m.qpm", "X-Reserve-Date: 100\r\nSubject: s\r\n\r\nbody");
    host.Write("Account1\\Outbox.box\\n.qpm", "X-Reserve-Date: 100\r\nSubject: s\r\n\r\nbody");
    host.Write("Account1\\Outbox.box\\Entry.lst", "m=AAAAAAAAAAAAAAAA:s\r\nn=AAAAAAAAAAAAAAAA:s\r\n");
    Loaded.Settings.UseReserve = Loaded.Settings.SendQuick = Loaded.Settings.NoNomal = 1;
    HWND main = CreateWindowExA(0, "STATIC", nullptr, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    SetWindowLongPtrA(main, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountCommands));
    Loaded.FolderWindows.Append(new FolderWindowRecord(main));
    ASSERT_TRUE(Chronel::StartUp(Loaded));
    {
        ChronelCall underWay;
        host.onMark = [](const char*) { Chronel::CleanUp(); };
        ClockReading secondZero = ReadClock();
        secondZero.local.wSecond = 0;
        underWay->schedule.Tick(secondZero);
        EXPECT_EQ(host.marks.size(), 2u);
        EXPECT_EQ(Commands, 0);
    }
    Loaded.FolderWindows.Remove(main);
    DestroyWindow(main);
    Loaded.Settings.UseReserve = Loaded.Settings.SendQuick = Loaded.Settings.NoNomal = 0;
}

}  // namespace
