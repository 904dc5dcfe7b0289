// The host's main window and dialogs during scheduled runs: brought off the screen for the run,
// put back after it, the host's dialogs answered and another program's left alone.
#include "HostRun.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace testing_support;

namespace {

class MainWindowTest : public testing_support::ClearedSettingsTest {};

const char* const Visible = "window: visible 1 iconic 0 show 1 normal (40,40)-";
// During a run the window's normal rectangle starts 10 pixels right of the primary screen (whose
// width depends on the display and on Wine's desktop, so it is read, not assumed).
std::string OffScreenRunPrefix()
{
    return "window: visible 1 iconic 0 show 1 normal (" + std::to_string(GetSystemMetrics(SM_CXSCREEN) + 10) + ",40)-";
}
const char* const Hidden = "window: visible 0 iconic 0 show 1 normal (40,40)-(680,460)";
const char* const Minimised = "window: visible 1 iconic 1 show 2 normal (40,40)-(680,460)";
const char* const HiddenMinimised = "window: visible 0 iconic 1 show 2 normal (40,40)-(680,460)";

// One run per minute from 07:00, each with the window in another state before it; "window"
// before, during and after each run.
TEST_F(MainWindowTest, HiddenAndMinimisedWindowsAreBroughtOffScreenAndPutBack)
{
    HostLayout host;
    HostRunResult run = host.Run(
        "setting AutoStart dword 1\nsetting AutoDistribute dword 1\n"
        "entry Monday 07:00\nentry Monday 07:01\nentry Monday 07:02\nentry Monday 07:03\n"
        "receive-seconds 5\n"
        "start 2026-12-07 06:59:50\n"
        "at 06:59:52 hide\nat 06:59:55 window\nat 07:00:02 window\nat 07:00:10 window\n"
        "at 07:00:20 show\nat 07:00:30 minimize\nat 07:00:55 window\nat 07:01:02 window\nat 07:01:10 window\n"
        "at 07:01:30 hide\nat 07:01:55 window\nat 07:02:02 window\nat 07:02:10 window\n"
        "at 07:02:20 show\nat 07:02:55 window\nat 07:03:02 window\nat 07:03:10 window\n"
        "end 2026-12-07 07:03:20\n");
    ASSERT_EQ(run.exitCode, 0u) << run.log;
    auto windows = run.Events("window: ");
    ASSERT_EQ(windows.size(), 12u) << run.log;
    // Hidden: the tray icon's double-click shows it off the screen; the host puts it back in
    // the tray after the run.
    EXPECT_EQ(windows[0], Hidden);
    EXPECT_EQ(windows[1].rfind(OffScreenRunPrefix(), 0), 0u) << windows[1];
    EXPECT_EQ(windows[2], Hidden);
    // Minimised: restored off the screen, minimised again at its place after the run.
    EXPECT_EQ(windows[3], Minimised);
    EXPECT_EQ(windows[4].rfind(OffScreenRunPrefix(), 0), 0u) << windows[4];
    EXPECT_EQ(windows[5], Minimised);
    // Hidden and minimised: both ways in and both ways back.
    EXPECT_EQ(windows[6], HiddenMinimised);
    EXPECT_EQ(windows[7].rfind(OffScreenRunPrefix(), 0), 0u) << windows[7];
    EXPECT_EQ(windows[8], HiddenMinimised);
    // A normal window is left where it is.
    EXPECT_EQ(windows[9].rfind(Visible, 0), 0u) << windows[9];
    EXPECT_EQ(windows[10], windows[9]);
    EXPECT_EQ(windows[11], windows[9]);

    // The tray double-click for the hidden runs only; SC_RESTORE for the minimised ones only; the
    // to-tray command after the hidden runs only.
    EXPECT_EQ(run.Count("tray: icon 1 message double-click"), 2u) << run.log;
    EXPECT_EQ(run.When("tray: icon 1 message double-click"), "2026-12-07 07:00:00.0");
    EXPECT_EQ(run.Count("host: main window restored (SC_RESTORE)"), 2u) << run.log;
    EXPECT_EQ(run.When("host: main window restored"), "2026-12-07 07:01:00.0");
    EXPECT_EQ(run.Count("command: 32828 (to tray)"), 2u) << run.log;
    EXPECT_EQ(run.When("command: 32828"), "2026-12-07 07:00:05.0");
    // AutoDistribute: sorting after every run, right after its end.
    EXPECT_EQ(run.Count("command: 32825 (distribute)"), 4u) << run.log;
    auto events = run.Events("");
    for (size_t i = 0; i + 1 < events.size(); ++i) {
        if (events[i].find("APCFolderEndRetrieve -> 1") != std::string::npos) {
            EXPECT_EQ(events[i + 1], "command: 32825 (distribute)") << run.log;
        }
    }
}

TEST_F(MainWindowTest, NoNomalLeavesTheWindowAloneAndWithoutAutoDistributeNothingIsSorted)
{
    HostLayout host;
    HostRunResult run = host.Run(
        "setting AutoStart dword 1\nsetting NoNomal dword 1\n"
        "entry Monday 07:00\nreceive-seconds 5\n"
        "start 2026-12-07 06:59:50\n"
        "at 06:59:52 hide\nat 07:00:02 window\nat 07:00:10 window\n"
        "end 2026-12-07 07:00:20\n");
    ASSERT_EQ(run.exitCode, 0u) << run.log;
    EXPECT_TRUE(run.Has("command: 32786 (receive)")) << run.log;
    EXPECT_EQ(run.Events("window: "), std::vector<std::string>({Hidden, Hidden})) << run.log;
    EXPECT_FALSE(run.Has("tray: ")) << run.log;
    EXPECT_FALSE(run.Has("command: 32828")) << run.log;
    EXPECT_FALSE(run.Has("command: 32825")) << run.log;
}

// Stopping the schedule during a run: the end of retrieval still puts the window back as the run
// found it (a hidden window back to the tray, a minimised one minimised at its place), but sorts
// nothing, answers 0 and leaves the schedule stopped.
TEST_F(MainWindowTest, StoppedDuringARunTheWindowIsStillPutBack)
{
    HostLayout host;
    HostRunResult run = host.Run(
        "setting AutoStart dword 1\nsetting AutoDistribute dword 1\n"
        "entry Monday 07:00\nentry Monday 07:01\nreceive-seconds 10\n"
        "start 2026-12-07 06:59:50\n"
        "at 06:59:52 hide\nat 07:00:05 menu schedule\nat 07:00:15 window\nat 07:00:16 caption\n"
        "at 07:00:20 menu schedule\nat 07:00:30 minimize\nat 07:01:05 menu schedule\nat 07:01:15 window\n"
        "end 2026-12-07 07:01:20\n");
    ASSERT_EQ(run.exitCode, 0u) << run.log;
    EXPECT_EQ(run.Events("APCFolderEndRetrieve"),
              std::vector<std::string>(2, "host: receive ended, APCFolderEndRetrieve -> 0"))
        << run.log;
    EXPECT_EQ(run.Events("window: "), std::vector<std::string>({Hidden, Minimised})) << run.log;
    EXPECT_EQ(run.Count("command: 32828 (to tray)"), 1u) << run.log;
    EXPECT_FALSE(run.Has("command: 32825")) << run.log;
    EXPECT_TRUE(run.Has("menu: \"CHRONEL ｽｹｼﾞｭｰﾙ実行(&X)\"")) << run.log;
}

// However a run ends, the window it moved goes back to its own place, and only that window:
// the host closing the main folder window during the run (another folder window stays where it
// is), the host starting the plug-in anew, the host cleaning it up.
TEST_F(MainWindowTest, EveryWayARunEndsPutsTheMovedWindowBack)
{
    const std::string folderOne = "window 1: visible 1 iconic 0 show 1 normal (80,80)-(580,380)";
    {
        HostLayout host;
        HostRunResult run = host.Run(
            "setting AutoStart dword 1\nentry Monday 07:00\nreceive-seconds 10\n"
            "start 2026-12-07 06:59:50\n"
            "at 06:59:51 open-folder\nat 06:59:52 hide\nat 07:00:02 close-folder 0\n"
            "at 07:00:03 window\nat 07:00:15 window\nat 07:00:15 window 1\n"
            "end 2026-12-07 07:00:20\n");
        ASSERT_EQ(run.exitCode, 0u) << run.log;
        EXPECT_EQ(run.Events("window: "), std::vector<std::string>(2, Hidden)) << run.log;
        EXPECT_EQ(run.Events("window 1: "), std::vector<std::string>{folderOne}) << run.log;
    }
    {
        // Started anew during the run: the window goes back at once, and the next run saves and
        // puts back its true place, not the one off the screen.
        HostLayout host;
        HostRunResult run = host.Run(
            "setting AutoStart dword 1\nentry Monday 07:00\nentry Monday 07:01\nreceive-seconds 10\n"
            "start 2026-12-07 06:59:50\n"
            "at 06:59:52 hide\nat 07:00:02 startup\nat 07:00:03 window\n"
            "at 07:01:02 window\nat 07:01:15 window\n"
            "end 2026-12-07 07:01:20\n");
        ASSERT_EQ(run.exitCode, 0u) << run.log;
        auto windows = run.Events("window: ");
        ASSERT_EQ(windows.size(), 3u) << run.log;
        EXPECT_EQ(windows[0], Hidden);
        EXPECT_EQ(windows[1].rfind(OffScreenRunPrefix(), 0), 0u) << windows[1];
        EXPECT_EQ(windows[2], Hidden);
    }
    {
        HostLayout host;
        HostRunResult run = host.Run(
            "setting AutoStart dword 1\nentry Monday 07:00\nreceive-seconds 10\n"
            "start 2026-12-07 06:59:50\n"
            "at 06:59:52 minimize\nat 07:00:02 cleanup\nat 07:00:03 window\n"
            "end 2026-12-07 07:00:20\n");
        ASSERT_EQ(run.exitCode, 0u) << run.log;
        EXPECT_EQ(run.Events("window: "), std::vector<std::string>{Minimised}) << run.log;
    }
}

// During a run every tick answers the host's dialogs: the receive dialog with cancel. A dialog of
// another program with a host title is left alone and hides the host's dialogs below it until it
// goes.
TEST_F(MainWindowTest, HostDialogsAreAnsweredDuringARunAndAStrayOneStopsTheWalk)
{
    HostLayout host;
    HostRunResult run = host.Run(
        "setting AutoStart dword 1\n"
        "entry Monday 07:00\nreceive-seconds 30\nreceive-dialog\n"
        "start 2026-12-07 06:59:50\n"
        "at 06:59:55 host-dialog エラー\n"  // before the run: nobody answers it
        "at 07:00:05 host-dialog エラー\nat 07:00:05 stray-dialog エラー\n"
        "at 07:00:10 close-stray\n"
        "end 2026-12-07 07:00:40\n");
    ASSERT_EQ(run.exitCode, 0u) << run.log;
    // The first host dialog waits for the run; the receive dialog, shown by the receive command,
    // is cancelled on the run's tick.
    EXPECT_EQ(run.When("dialog: \"メール受信\" shown"), "2026-12-07 07:00:00.0") << run.log;
    EXPECT_EQ(run.When("dialog: \"メール受信\" answered 2"), "2026-12-07 07:00:00.0") << run.log;
    auto errors = run.Events("dialog: \"エラー\" answered");
    ASSERT_EQ(errors.size(), 2u) << run.log;
    // The run's start answers it (the answer is posted, so the host takes it after the receive).
    EXPECT_EQ(run.When("dialog: \"エラー\" answered 2"), "2026-12-07 07:00:00.0") << run.log;
    // The second waits until the stray window is gone, which nobody answered.
    std::vector<std::string> answered;
    std::istringstream in(run.log);
    std::string line;
    while (std::getline(in, line)) {
        if (line.find("\"エラー\" answered") != std::string::npos)
            answered.push_back(line.substr(0, 21));
    }
    ASSERT_EQ(answered.size(), 2u);
    EXPECT_EQ(answered[1], "2026-12-07 07:00:10.0") << run.log;
    EXPECT_FALSE(run.Has("stray: \"エラー\" got command")) << run.log;
}

}  // namespace
