// chronel's frame as the host sees it: loading, start-up, folder windows, the settings command.
#include "HostRun.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

const std::string Start = "start 2026-12-07 06:58:00\n";  // a Monday

class FrameTest : public testing_support::ClearedSettingsTest {};

// Starts the host and expects the load-error box; once it is answered, the host ends without a
// plug-in.
void ExpectLoadErrorBoxAndNoPlugin(HostLayout& host)
{
    ASSERT_TRUE(host.Start(Start + "end 2026-12-07 06:58:30\n"));
    HWND box = WaitForWindow("プラグインエラー", 60000);
    ASSERT_NE(box, nullptr) << "no load-error box";
    EXPECT_EQ(DialogStaticText(box),
              "プラグイン「Chronel Plug」でエラーが発生しました。\r\n"
              "Quillpost32とプラグインのバージョンを確認してください");
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    HostRunResult run = host.Wait();
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 2u);
    EXPECT_TRUE(run.Has("plugin: Plugins\\chronel.dll did not load")) << run.log;
    EXPECT_FALSE(run.Has("APCStartUp"));
}

TEST_F(FrameTest, HostMissingOneApiFunctionGetsTheLoadErrorBoxAndNoPlugin)
{
    HostLayout host("host-missing-api");
    ExpectLoadErrorBoxAndNoPlugin(host);
}

// A host running under another file name, with a Quillpost.exe on disk beside it: the plug-in
// takes only the running Quillpost.exe, so it refuses to load instead of binding to a second,
// uninitialised copy of the executable mapped from disk.
TEST_F(FrameTest, HostUnderAnotherFileNameGetsTheLoadErrorBoxAndNoCopyFromDisk)
{
    HostLayout host("host", "QuillpostNext.exe");
    ASSERT_TRUE(host.AddBuildFile("host/Quillpost.exe", "Quillpost.exe"));
    ExpectLoadErrorBoxAndNoPlugin(host);
}

// The running host is found by its file name in any letter case, as Windows names modules.
TEST_F(FrameTest, HostNamedInOtherLetterCaseBindsAndStarts)
{
    HostLayout host("host", "QUILLPOST.EXE");
    HostRunResult run = host.Run(Start + "end 2026-12-07 06:58:02\n");
    EXPECT_TRUE(run.Has("host: APCStartUp -> 1")) << run.log;
    EXPECT_FALSE(run.Has("did not load")) << run.log;
}

TEST_F(FrameTest, StartUpWithoutAutoStartLeavesTheScheduleStopped)
{
    HostLayout host;
    HostRunResult run = host.Run(Start + "entry Monday 07:00\nat 06:58:01 caption\nend 2026-12-07 06:58:05\n");
    ASSERT_EQ(run.exitCode, 0u) << run.log;
    EXPECT_TRUE(run.Has("menu: \"CHRONEL ｽｹｼﾞｭｰﾙ実行(&X)\"")) << run.log;
    // Start-up registers the disconnect step, then the connect step, then asks for the timer.
    auto api = run.Events("api: ");
    ASSERT_GE(api.size(), 3u);
    EXPECT_EQ(api[0], "api: RegistCallback -> " + std::to_string(FirstCallbackCommand));
    EXPECT_EQ(api[1], "api: RegistCallback -> " + std::to_string(FirstCallbackCommand + 1));
    EXPECT_EQ(api[2], "api: SetTimer 500 ms -> 1");
    EXPECT_TRUE(run.Has("host: APCStartUp -> 1"));
    EXPECT_TRUE(run.Has("host: APCCleanUp -> 1"));
}

// Started a second time, the plug-in holds one timer: start-up ends the one it holds before it
// asks for a new one, clean-up ends that, and a tick the host still delivers after clean-up does
// nothing (here it would release a due reserved message and, with SendQuick, start a receive).
TEST_F(FrameTest, StartUpAgainEndsTheTimerItHoldsAndAfterCleanUpATickDoesNothing)
{
    HostLayout host;
    const std::string At0659 = "1796594340";  // 2026-12-07 06:59:00 in Tokyo
    HostRunResult run = host.Run(Start +
                                 "setting UseReserve dword 1\nsetting SendQuick dword 1\n"
                                 "at 06:58:01 outbox-store Account1 " + At0659 + "\n"
                                 "at 06:58:02 startup\n"
                                 "at 06:58:03 timers\n"
                                 "at 06:58:04 cleanup\n"
                                 "at 06:58:05 timers\n"
                                 "at 06:59:00 late-tick\n"
                                 "at 06:59:01 outbox\n"
                                 "end 2026-12-07 06:59:05\n");
    ASSERT_EQ(run.exitCode, 0u) << run.log;
    auto timers = run.Events("Timer ");
    const std::vector<std::string> expected = {
        "api: SetTimer 500 ms -> 1",
        "api: KillTimer 1 -> 1",
        "api: SetTimer 500 ms -> 2",
        "api: KillTimer 2 -> 1",
    };
    EXPECT_EQ(timers, expected) << run.log;
    EXPECT_TRUE(run.Has("host: timers 2\n")) << run.log;
    EXPECT_TRUE(run.Has("host: timers none")) << run.log;
    // Nothing released, nothing commanded after clean-up; a second clean-up has no timer to end.
    EXPECT_TRUE(run.Has("host: a late tick of an ended timer\n")) << run.log;
    EXPECT_FALSE(run.Has(" on\n")) << run.log;
    EXPECT_FALSE(run.Has(Command(HostCmdReceive))) << run.log;
    EXPECT_TRUE(run.Has("outbox: Account1\\Outbox.box\\00000001 flags")) << run.log;
    EXPECT_TRUE(run.Has("host: APCCleanUp -> 0")) << run.log;
}

TEST_F(FrameTest, StartUpWithAutoStartArmsTheNextEvent)
{
    HostLayout host;
    HostRunResult run = host.Run(Start +
                                 "setting AutoStart dword 1\n"
                                 "entry Monday 06:30\nentry Monday 07:15\nentry Tuesday 05:00\n"
                                 "at 06:58:01 caption\nend 2026-12-07 06:58:05\n");
    ASSERT_EQ(run.exitCode, 0u) << run.log;
    EXPECT_TRUE(run.Has("menu: \"CHRONEL ｽｹｼﾞｭｰﾙ停止 [07:15](&X)\"")) << run.log;
}

TEST_F(FrameTest, ArmedWithAnEmptyScheduleShowsMinusOne)
{
    HostLayout host;
    HostRunResult run =
        host.Run(Start + "setting AutoStart dword 1\nat 06:58:01 caption\nend 2026-12-07 06:58:05\n");
    EXPECT_TRUE(run.Has("menu: \"CHRONEL ｽｹｼﾞｭｰﾙ停止 [-1:-1](&X)\"")) << run.log;
}

TEST_F(FrameTest, ShortCutStoredWithItsTerminatorGivesItsFirstCharacter)
{
    HostLayout host;
    WriteText(PlugKey, "ShortCut", "Q", true);
    HostRunResult run = host.Run(Start + "at 06:58:01 caption\nend 2026-12-07 06:58:05\n");
    EXPECT_TRUE(run.Has("menu: \"CHRONEL ｽｹｼﾞｭｰﾙ実行(&Q)\"")) << run.log;
}

// The settings command finds the editor in each of its three places, and the caption of the
// main window's item follows the settings an OK left behind.
TEST_F(FrameTest, SetupFindsTheEditorInEachPlaceAndReloadsAfterOk)
{
    for (const char* place : {"Plugins\\chronset.dll", "Setup\\chronset.dll", "chronset.dll"}) {
        SCOPED_TRACE(place);
        ClearSettings();
        HostLayout host;
        ASSERT_TRUE(host.AddBuildFile("fake-editor/chronset.dll", place));
        WriteDword("Software\\Quor\\FakeEditor", "Result", 1);
        WriteDword("Software\\Quor\\FakeEditor", "StoreShortCut", 'K');
        HostRunResult run = host.Run(Start + "at 06:58:01 setup\nat 06:58:02 caption\nend 2026-12-07 06:58:05\n");
        EXPECT_TRUE(run.Has("host: APCSetup -> 1")) << run.log;
        EXPECT_TRUE(run.Has("menu: \"CHRONEL ｽｹｼﾞｭｰﾙ実行(&K)\"")) << run.log;
    }
}

// Where the host's places hold no editor, the one beside the plug-in is taken.
TEST_F(FrameTest, SetupFindsTheEditorBesideThePluginAfterTheHostsPlaces)
{
    HostLayout host;
    ASSERT_TRUE(host.AddBuildFile("host/Plugins/chronel.dll", "Other\\chronel.dll"));
    ASSERT_TRUE(host.AddBuildFile("fake-editor/chronset.dll", "Other\\chronset.dll"));
    WriteDword("Software\\Quor\\FakeEditor", "Result", 1);
    WriteDword("Software\\Quor\\FakeEditor", "StoreShortCut", 'K');
    HostRunResult run = host.Run("plugin-path Other\\chronel.dll\n" + Start +
                                 "at 06:58:01 setup\nat 06:58:02 caption\nend 2026-12-07 06:58:05\n");
    EXPECT_TRUE(run.Has("host: APCSetup -> 1")) << run.log;
    EXPECT_TRUE(run.Has("menu: \"CHRONEL ｽｹｼﾞｭｰﾙ実行(&K)\"")) << run.log;
}

// A chronset.dll in the host's current directory (a file dialog may have moved it anywhere) or
// in a folder on PATH is never run as the editor.
TEST_F(FrameTest, SetupNeverTakesAnEditorFromTheCurrentDirectoryOrPath)
{
    WriteDword("Software\\Quor\\FakeEditor", "Result", 1);
    WriteDword("Software\\Quor\\FakeEditor", "StoreShortCut", 'K');
    std::string fake = BuildPath("fake-editor/chronset.dll");
    TempDir decoy("decoy");
    CreateDirectoryA((decoy / "Plugins").c_str(), nullptr);
    CreateDirectoryA((decoy / "Setup").c_str(), nullptr);
    for (const char* place : {"chronset.dll", "Plugins\\chronset.dll", "Setup\\chronset.dll"})
        ASSERT_TRUE(CopyFileA(fake.c_str(), (decoy / place).c_str(), FALSE)) << place;
    {
        SCOPED_TRACE("current directory");
        HostLayout host;
        HostRunResult run = host.Run(Start + "at 06:58:01 chdir " + decoy.Path() +
                                     "\nat 06:58:02 setup\nat 06:58:03 press \"Chronel Plug\" 1\nat 06:58:03 caption\n"
                                     "end 2026-12-07 06:58:05\n");
        ASSERT_TRUE(run.Has("host: current directory " + decoy.Path())) << run.log;
        ASSERT_FALSE(run.Has("(not found)")) << run.log;
        EXPECT_TRUE(run.Has("host: APCSetup -> 0")) << run.log;
        EXPECT_TRUE(run.Has("menu: \"CHRONEL ｽｹｼﾞｭｰﾙ実行(&X)\"")) << run.log;
    }
    {
        SCOPED_TRACE("PATH");
        char saved[32768] = "";
        DWORD length = GetEnvironmentVariableA("PATH", saved, sizeof saved);
        ASSERT_LT(length, sizeof saved);
        SetEnvironmentVariableA("PATH", (decoy.Path() + ";" + saved).c_str());
        HostLayout host;
        HostRunResult run = host.Run(Start + "at 06:58:02 setup\nat 06:58:03 press \"Chronel Plug\" 1\nat 06:58:03 caption\n"
                                     "end 2026-12-07 06:58:05\n");
        SetEnvironmentVariableA("PATH", saved);
        EXPECT_TRUE(run.Has("host: APCSetup -> 0")) << run.log;
        EXPECT_TRUE(run.Has("menu: \"CHRONEL ｽｹｼﾞｭｰﾙ実行(&X)\"")) << run.log;
    }
}

TEST_F(FrameTest, SetupWithoutEditorReturnsZeroAndCancelReloadsNothing)
{
    {
        // The user is told which file is missing and where it was looked for.
        HostLayout host;
        HostRunResult run = host.Run(Start + "at 06:58:01 setup\nat 06:58:02 press \"Chronel Plug\" 1\nend 2026-12-07 06:58:05\n");
        EXPECT_TRUE(run.Has("host: APCSetup -> 0")) << run.log;
        EXPECT_TRUE(run.Has("dialog: \"Chronel Plug\" says \"設定エディター chronset.dll が見つからないか、読み込めません。 | "
                            "探した場所: | " + host.Dir() + "\\Plugins\\chronset.dll | " + host.Dir() +
                            "\\Setup\\chronset.dll | " + host.Dir() + "\\chronset.dll | " + host.Dir() +
                            "\\Plugins\\chronset.dll\"")) << run.log;
    }
    HostLayout host;
    host.AddBuildFile("fake-editor/chronset.dll", "Plugins\\chronset.dll");
    WriteDword("Software\\Quor\\FakeEditor", "Result", 2);
    WriteDword("Software\\Quor\\FakeEditor", "StoreShortCut", 'K');
    HostRunResult run = host.Run(Start + "at 06:58:01 setup\nat 06:58:02 caption\nend 2026-12-07 06:58:05\n");
    EXPECT_TRUE(run.Has("host: APCSetup -> 1")) << run.log;  // FreeLibrary's result
    EXPECT_TRUE(run.Has("menu: \"CHRONEL ｽｹｼﾞｭｰﾙ実行(&X)\"")) << run.log;
}

// Every folder window's schedule item shows the schedule as it is: after the settings changed
// the shortcut, and whichever window's item the user chooses, before and after the first window
// (MainWindow) has closed.
TEST_F(FrameTest, EveryFolderWindowsItemShowsTheScheduleAsItIs)
{
    HostLayout host;
    host.AddBuildFile("fake-editor/chronset.dll", "Plugins\\chronset.dll");
    WriteDword("Software\\Quor\\FakeEditor", "Result", 1);
    WriteDword("Software\\Quor\\FakeEditor", "StoreShortCut", 'M');
    HostRunResult run = host.Run(Start +
                                 "entry Monday 10:00\n"
                                 "at 06:58:01 open-folder\n"
                                 "at 06:58:02 setup\n"
                                 "at 06:58:03 caption 0\nat 06:58:03 caption 1\n"
                                 "at 06:58:04 menu schedule 1\n"
                                 "at 06:58:05 caption 0\nat 06:58:05 caption 1\n"
                                 "at 06:58:06 menu schedule 0\n"
                                 "at 06:58:07 caption 0\nat 06:58:07 caption 1\n"
                                 "at 06:58:08 close-folder 0\n"
                                 "at 06:58:09 menu schedule 1\n"
                                 "at 06:58:10 caption 1\n"
                                 "end 2026-12-07 06:58:12\n");
    ASSERT_EQ(run.exitCode, 0u) << run.log;
    const std::string Stopped = "\"CHRONEL ｽｹｼﾞｭｰﾙ実行(&M)\"";
    const std::string Armed = "\"CHRONEL ｽｹｼﾞｭｰﾙ停止 [10:00](&M)\"";
    const std::vector<std::string> expected = {
        "menu: " + Stopped, "menu 1: " + Stopped, "menu: " + Armed,   "menu 1: " + Armed,
        "menu: " + Stopped, "menu 1: " + Stopped, "menu 1: " + Armed,
    };
    EXPECT_EQ(run.Events("menu"), expected) << run.log;
}

TEST_F(FrameTest, WithoutFolderWindowTheSettingsCommandStillWorksAndNothingCrashes)
{
    HostLayout host;
    host.AddBuildFile("fake-editor/chronset.dll", "Plugins\\chronset.dll");
    WriteDword("Software\\Quor\\FakeEditor", "Result", 1);
    HostRunResult run = host.Run(Start +
                                 "no-folder\nsetting AutoStart dword 1\nentry Monday 06:58\n"
                                 "at 06:58:01 setup\nat 06:58:30 report-folder\nat 06:58:31 caption\n"
                                 "end 2026-12-07 06:59:10\n");
    EXPECT_EQ(run.exitCode, 0u) << run.log;
    EXPECT_TRUE(run.Has("host: APCSetup -> 1")) << run.log;
    EXPECT_TRUE(run.Has("menu: \"CHRONEL ｽｹｼﾞｭｰﾙ停止 [06:58](&X)\"")) << run.log;
    EXPECT_TRUE(run.Has("host: stopped"));
}

// With no folder window the tick has nothing to command: a due entry starts nothing (and leaves
// no run hanging that would block later ones); it is passed over, and once a folder window exists
// the schedule goes on with the next entry.
TEST_F(FrameTest, WithoutFolderWindowADueEntryStartsNothing)
{
    HostLayout host;
    HostRunResult run = host.Run(Start +
                                 "no-folder\nsetting AutoStart dword 1\nentry Monday 06:59\nentry Monday 07:01\n"
                                 "at 07:00:30 report-folder\nat 07:00:31 caption\n"
                                 "end 2026-12-07 07:01:10\n");
    ASSERT_EQ(run.exitCode, 0u) << run.log;
    auto captions = run.Events("menu: ");
    ASSERT_EQ(captions.size(), 1u) << run.log;
    EXPECT_EQ(captions[0], "menu: \"CHRONEL ｽｹｼﾞｭｰﾙ停止 [07:01](&X)\"");
    EXPECT_EQ(run.Count(Command(HostCmdReceive)), 1u) << run.log;
    EXPECT_EQ(run.When(Command(HostCmdReceive)), "2026-12-07 07:01:00.0");
}

}  // namespace
