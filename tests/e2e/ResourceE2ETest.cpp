// The settings editor opened and cancelled again and again from the simulated host: the host
// process's GDI and USER objects stay as they were after the first opening, and its kernel
// handles grow by no more than the C++ runtime of chronset.dll leaves behind at each unload
// (an event and a thread record under Wine; see docs/long-run.md).
#include "HostRun.h"

#include <gtest/gtest.h>

#include <cstdio>

using namespace testing_support;

namespace {

struct Counts {
    long handles = -1, gdi = -1, user = -1;
};

Counts StatsOf(const HostRunResult& run, const std::string& label)
{
    Counts counts;
    for (const std::string& line : run.Events("stats: " + label + " ")) {
        long privateKiB = 0;
        std::sscanf(line.c_str() + line.find("handles"), "handles %ld gdi %ld user %ld private %ld", &counts.handles,
                    &counts.gdi, &counts.user, &privateKiB);
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
    // Importing comdlg32 brought the print spooler along at every opening, three handles more.
    EXPECT_LE(fourth.handles - first.handles, 3 * 2) << run.log;
}

}  // namespace
