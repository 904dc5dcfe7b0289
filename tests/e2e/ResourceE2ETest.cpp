// The settings editor opened and cancelled again and again from the simulated host: after the
// first opening the host process's kernel handles, GDI and USER objects and private memory stay
// as they were, although chronset.dll is loaded and freed each time.
#include "HostRun.h"

#include <gtest/gtest.h>

#include <cstdio>

using namespace testing_support;

namespace {

struct Counts {
    long handles = -1, gdi = -1, user = -1, privateKiB = -1;
};

Counts StatsOf(const HostRunResult& run, const std::string& label)
{
    Counts counts;
    for (const std::string& line : run.Events("stats: " + label + " ")) {
        std::sscanf(line.c_str() + line.find("handles"), "handles %ld gdi %ld user %ld private %ld", &counts.handles,
                    &counts.gdi, &counts.user, &counts.privateKiB);
    }
    return counts;
}

class ResourceE2ETest : public testing_support::ClearedSettingsTest {};

TEST_F(ResourceE2ETest, EditorOpenedAndCancelledAgainLeaksNoObjectsOfItsOwn)
{
    HostLayout host;
    ASSERT_TRUE(host.AddBuildFile("host/Plugins/chronset.dll", "Plugins\\chronset.dll"));
    HostRunResult run = host.Run("setting AutoStart dword 1\nentry Monday 10:00\nreceive-seconds 0\n"
                                 "start 2026-12-07 06:58:00\n"
                                 "at 06:58:01 setup-cancel\nat 06:58:02 stats first\n"
                                 "at 06:58:03 setup-cancel\nat 06:58:04 setup-cancel\nat 06:58:05 setup-cancel\n"
                                 "at 06:58:06 stats fourth\nend 2026-12-07 06:58:10\n");
    ASSERT_FALSE(run.timedOut) << run.log;
    ASSERT_EQ(run.Count("bench: editor open"), 4u) << run.log;
    Counts first = StatsOf(run, "first"), fourth = StatsOf(run, "fourth");
    ASSERT_GT(first.handles, 0) << run.log;
    ASSERT_GT(first.gdi, 0) << run.log;
    ASSERT_GT(first.user, 0) << run.log;
    EXPECT_EQ(fourth.gdi, first.gdi) << run.log;
    EXPECT_EQ(fourth.user, first.user) << run.log;
    // Importing comdlg32 brought the print spooler along at every opening; the C++ runtime's
    // exception support left a thread record and an event behind at every unload.
    EXPECT_EQ(fourth.handles, first.handles) << run.log;
    // Committed memory moves in pages and heap blocks; three openings may leave slack, not a
    // growth per opening.
    EXPECT_LT(fourth.privateKiB - first.privateKiB, 64) << run.log
        << "first " << first.privateKiB << " KiB, fourth " << fourth.privateKiB << " KiB";
}

// Each DLL loaded and freed twenty times in one process: after the first cycle the kernel
// handles, GDI and USER objects and private memory stay where they were. (With the C++ runtime
// linked, every unload of chronel.dll left two handles and about 19 KB behind.)
TEST_F(ResourceE2ETest, LoadingAndFreeingEachDllTwentyTimesLeavesNothingBehind)
{
    HostLayout host;
    ASSERT_TRUE(host.AddBuildFile("host/Plugins/chronset.dll", "Plugins\\chronset.dll"));
    HostRunResult run = host.Run("load-cycles 20\nstart 2026-12-07 06:58:00\nend 2026-12-07 06:58:01\n");
    ASSERT_FALSE(run.timedOut) << run.log;
    ASSERT_FALSE(run.Has("did not load")) << run.log;
    for (const std::string library : {"plugin", "editor"}) {
        SCOPED_TRACE(library);
        Counts first = StatsOf(run, library + "-1"), last = StatsOf(run, library + "-20");
        ASSERT_GT(first.handles, 0) << run.log;
        EXPECT_EQ(last.handles, first.handles) << run.log;
        EXPECT_EQ(last.gdi, first.gdi) << run.log;
        EXPECT_EQ(last.user, first.user) << run.log;
        // Pages and heap blocks may leave some slack, not a growth per cycle.
        EXPECT_LT(last.privateKiB - first.privateKiB, 64) << run.log;
    }
}

}  // namespace
