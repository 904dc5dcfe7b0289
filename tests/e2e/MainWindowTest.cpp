// The host's main window and dialogs during scheduled runs: brought off the screen for the run,
// put back after it, the host's dialogs answered and another program's left alone.
#include "HostRun.h"
#include "contract/Quillpost.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

const char* const Visible = "window: visible 1 iconic 0 show 1 normal (40,40)-*";
// During a run the window's normal rectangle starts 10 pixels right of the primary screen (whose
// width depends on the display and on Wine's desktop, so it is read, not assumed).
std::string OffScreen()
{
    return "window: visible 1 iconic 0 show 1 normal (" + std::to_string(GetSystemMetrics(SM_CXSCREEN) + 10) + ",40)-*";
}
const char* const Hidden = "window: visible 0 iconic 0 show 1 normal (40,40)-(680,460)";
const char* const Minimised = "window: visible 1 iconic 1 show 2 normal (40,40)-(680,460)";
const char* const HiddenMinimised = "window: visible 0 iconic 1 show 2 normal (40,40)-(680,460)";
const std::string ToTray = Command(HostCmdToTray);
const std::string Distribute = Command(HostCmdDistribute);

std::string OneRun(const char* more)
{
    return std::string("setting AutoStart dword 1\nentry Monday 07:00\n") + more + "end 2026-12-07 07:00:20\n";
}

std::vector<HostRow> Rows()
{
    return {
        // One run per minute from 07:00, each with the window in another state before it; "window"
        // before, during and after each run. Hidden: the tray icon's double-click shows it off the
        // screen; the host puts it back in the tray after the run. Minimised: restored off the
        // screen, minimised again at its place after the run. Hidden and minimised: both ways in
        // and both ways back. A normal window is left where it is. The tray double-click for the
        // hidden runs only; SC_RESTORE for the minimised ones only; the to-tray command after the
        // hidden runs only. AutoDistribute: sorting after every run, right after its end.
        {"HiddenAndMinimisedWindowsAreBroughtOffScreenAndPutBack",
         "setting AutoStart dword 1\nsetting AutoDistribute dword 1\n"
         "entry Monday 07:00\nentry Monday 07:01\nentry Monday 07:02\nentry Monday 07:03\n"
         "receive-seconds 5\nstart 2026-12-07 06:59:50\n"
         "at 06:59:52 hide\nat 06:59:55 window\nat 07:00:02 window\nat 07:00:10 window\n"
         "at 07:00:20 show\nat 07:00:30 minimize\nat 07:00:55 window\nat 07:01:02 window\nat 07:01:10 window\n"
         "at 07:01:30 hide\nat 07:01:55 window\nat 07:02:02 window\nat 07:02:10 window\n"
         "at 07:02:20 show\nat 07:02:55 window\nat 07:03:02 window\nat 07:03:10 window\n"
         "end 2026-12-07 07:03:20\n",
         {Lines("window: ", {Hidden, OffScreen(), Hidden, Minimised, OffScreen(), Minimised, HiddenMinimised,
                             OffScreen(), HiddenMinimised, Visible, Visible, Visible}),
          Count(2, "tray: icon 1 message double-click"), At("2026-12-07 07:00:00.0", "tray: icon 1 message double-click"),
          Count(2, "host: main window restored (SC_RESTORE)"), At("2026-12-07 07:01:00.0", "host: main window restored"),
          Count(2, ToTray + " (to tray)"), At("2026-12-07 07:00:05.0", ToTray), Count(4, Distribute + " (distribute)")},
         [](const HostRunResult& run, const HostLayout&) {
             auto windows = run.Events("window: ");
             ASSERT_EQ(windows.size(), 12u);
             EXPECT_EQ(windows[10], windows[9]);
             EXPECT_EQ(windows[11], windows[9]);
             auto events = run.Events("");
             for (size_t i = 0; i + 1 < events.size(); ++i) {
                 if (events[i].find("APCFolderEndRetrieve -> 1") != std::string::npos) {
                     EXPECT_EQ(events[i + 1], Distribute + " (distribute)") << run.log;
                 }
             }
         }},
        {"NoNomalLeavesTheWindowAloneAndWithoutAutoDistributeNothingIsSorted",
         OneRun("setting NoNomal dword 1\nreceive-seconds 5\nstart 2026-12-07 06:59:50\n"
                "at 06:59:52 hide\nat 07:00:02 window\nat 07:00:10 window\n"),
         {Has(Command(HostCmdReceive) + " (receive)"), Lines("window: ", {Hidden, Hidden}), None("tray: "),
          None(ToTray), None(Distribute)}},
        // Stopping the schedule during a run: the end of retrieval still puts the window back as the
        // run found it (a hidden window back to the tray, a minimised one minimised at its place),
        // but sorts nothing, answers 0 and leaves the schedule stopped.
        {"StoppedDuringARunTheWindowIsStillPutBack",
         "setting AutoStart dword 1\nsetting AutoDistribute dword 1\n"
         "entry Monday 07:00\nentry Monday 07:01\nreceive-seconds 10\nstart 2026-12-07 06:59:50\n"
         "at 06:59:52 hide\nat 07:00:05 menu schedule\nat 07:00:15 window\nat 07:00:16 caption\n"
         "at 07:00:20 menu schedule\nat 07:00:30 minimize\nat 07:01:05 menu schedule\nat 07:01:15 window\n"
         "end 2026-12-07 07:01:20\n",
         {Lines("APCFolderEndRetrieve", std::vector<std::string>(2, "host: receive ended, APCFolderEndRetrieve -> 0")),
          Lines("window: ", {Hidden, Minimised}), Count(1, ToTray + " (to tray)"), None(Distribute),
          Has("menu: \"CHRONEL ｽｹｼﾞｭｰﾙ実行(&X)\"")}},
        // However a run ends, the window it moved goes back to its own place, and only that window:
        // the host closing the main folder window during the run (another folder window stays where
        // it is), the host starting the plug-in anew, the host cleaning it up.
        {"ClosingTheMainFolderWindowDuringARunPutsTheMovedWindowBack",
         OneRun("receive-seconds 10\nstart 2026-12-07 06:59:50\n"
                "at 06:59:51 open-folder\nat 06:59:52 hide\nat 07:00:02 close-folder 0\n"
                "at 07:00:03 window\nat 07:00:15 window\nat 07:00:15 window 1\n"),
         {Lines("window: ", {Hidden, Hidden}),
          Lines("window 1: ", {"window 1: visible 1 iconic 0 show 1 normal (80,80)-(580,380)"})}},
        // Started anew during the run: the window goes back at once, and the next run saves and puts
        // back its true place, not the one off the screen.
        {"StartingAnewDuringARunPutsTheMovedWindowBack",
         "setting AutoStart dword 1\nentry Monday 07:00\nentry Monday 07:01\nreceive-seconds 10\n"
         "start 2026-12-07 06:59:50\nat 06:59:52 hide\nat 07:00:02 startup\nat 07:00:03 window\n"
         "at 07:01:02 window\nat 07:01:15 window\nend 2026-12-07 07:01:20\n",
         {Lines("window: ", {Hidden, OffScreen(), Hidden})}},
        {"CleanUpDuringARunPutsTheMovedWindowBack",
         OneRun("receive-seconds 10\nstart 2026-12-07 06:59:50\n"
                "at 06:59:52 minimize\nat 07:00:02 cleanup\nat 07:00:03 window\n"),
         {Lines("window: ", {Minimised})}},
        // During a run every tick answers the host's dialogs: the receive dialog with cancel. A
        // dialog of another program with a host title is left alone and hides the host's dialogs
        // below it until it goes. The first host dialog, shown before the run, waits for it: the
        // run's start answers it (the answer is posted, so the host takes it after the receive).
        // The second waits until the stray window is gone, which nobody answered.
        {"HostDialogsAreAnsweredDuringARunAndAStrayOneStopsTheWalk",
         "setting AutoStart dword 1\nentry Monday 07:00\nreceive-seconds 30\nreceive-dialog\n"
         "start 2026-12-07 06:59:50\nat 06:59:55 host-dialog エラー\n"
         "at 07:00:05 host-dialog エラー\nat 07:00:05 stray-dialog エラー\nat 07:00:10 close-stray\n"
         "end 2026-12-07 07:00:40\n",
         {At("2026-12-07 07:00:00.0", "dialog: \"メール受信\" shown"),
          At("2026-12-07 07:00:00.0", "dialog: \"メール受信\" answered 2"),
          Stamped("\"エラー\" answered", {"2026-12-07 07:00:00.0 dialog: \"エラー\" answered 2*",
                                          "2026-12-07 07:00:10.0 dialog: \"エラー\" answered*"}),
          None("stray: \"エラー\" got command")}},
    };
}

class MainWindowTest : public HostTableTest {};
TEST_P(MainWindowTest, Row) { RunRow(); }
INSTANTIATE_TEST_SUITE_P(Host, MainWindowTest, testing::ValuesIn(Rows()), RowName);

}  // namespace
