// Scheduled runs on a clock that moves as real clocks do: the computer asleep, the clock set forward
// and back by the plug-in's own clock adjustment, and a run of days with random steps both ways.
#include "SntpTestServer.h"  // winsock2.h before windows.h
#include "HostRun.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <sstream>

using namespace testing_support;

namespace {

class ClockStepTest : public testing_support::ClearedSettingsTest {};

// Asleep from 07:00:30 to 09:15:20: the entries of those hours are passed over, not caught up;
// the first tick after waking is within the minute of the 09:15 entry, which runs, and the day goes
// on from there.
TEST_F(ClockStepTest, AfterSleepTheEntriesMissedArePassedOverAndTheRestRun)
{
    HostLayout host;
    HostRunResult run = host.Run(
        "setting AutoStart dword 1\n"
        "entry Monday 07:00\nentry Monday 07:30\nentry Monday 08:00\nentry Monday 09:15 around\n"
        "entry Monday 09:17\n"
        "receive-seconds 5\n"
        "start 2026-12-07 06:59:50\n"
        "at 07:00:30 jump 8090000\n"
        "at 09:16:00 caption\n"
        "end 2026-12-07 09:17:10\n");
    ASSERT_EQ(run.exitCode, 0u) << run.log;
    EXPECT_EQ(run.Events("command: "),
              (std::vector<std::string>{Command(HostCmdReceive) + " (receive)",
                                        Command(HostCmdPatrolReceive) + " (patrol receive)",
                                        Command(HostCmdReceive) + " (receive)"}))
        << run.log;
    EXPECT_TRUE(run.Has("2026-12-07 09:15:20.0 " + Command(HostCmdPatrolReceive))) << run.log;
    EXPECT_TRUE(run.Has("09:16:00.0 menu: \"CHRONEL ｽｹｼﾞｭｰﾙ停止 [09:17](&X)\"")) << run.log;
    EXPECT_TRUE(run.Has("2026-12-07 09:17:00.0 " + Command(HostCmdReceive))) << run.log;
}

// The clock adjustment of a scheduled run, against a time server on 127.0.0.1:123. The exchange
// runs in real time on a thread of the plug-in: the host holds its clock until the clock is set.
class ClockAdjustmentTest : public ClockStepTest {
protected:
    void SetUp() override
    {
        ClockStepTest::SetUp();
        ASSERT_TRUE(server.Start()) << "cannot serve on 127.0.0.1:123";
    }
    SntpTestServer server;
};

const std::string AdjustingHost =
    "setting AutoStart dword 1\nsetting UseSNTP dword 1\nsetting SNTPServer sz 127.0.0.1\nsetting TimeOut dword 5\n"
    "receive-seconds 5\ntimer-driven 10\nawait-plugin-threads 60\nhold-clock-for-exchanges\n";

// The server is ten minutes ahead: the entry whose minute the step skipped is passed over, and the
// next one runs.
TEST_F(ClockAdjustmentTest, AClockSetForwardPassesOverTheSkippedEntryAndRunsTheNext)
{
    server.Answer(SntpReply(NtpSecondsOfJst(2026, 12, 7, 7, 10, 30), 0));
    HostLayout host;
    HostRunResult run = host.Run(AdjustingHost + "entry Monday 07:00 sntp\nentry Monday 07:01\nentry Monday 07:12 around\n"
                                 "start 2026-12-07 06:59:50\nat 07:00:01 wait log clock: set to\n"
                                 "end 2026-12-07 07:12:10\n");
    ASSERT_EQ(run.exitCode, 0u) << run.log;
    ASSERT_TRUE(run.Has("clock: set to 2026-12-07 07:10:3")) << run.log;
    EXPECT_EQ(run.Events("command: "),
              (std::vector<std::string>{Command(HostCmdReceive) + " (receive)",
                                        Command(HostCmdPatrolReceive) + " (patrol receive)"}))
        << run.log;
    EXPECT_EQ(run.When(Command(HostCmdPatrolReceive)), "2026-12-07 07:12:00.0") << run.log;
}

// The server is two minutes behind: the clock comes to 07:00 once more, and the entry that has run
// does not run again (nor set the clock again); the caption shows it a week on.
TEST_F(ClockAdjustmentTest, AClockSetBackDoesNotRunTheSameEntryAgain)
{
    server.Answer(SntpReply(NtpSecondsOfJst(2026, 12, 7, 6, 58, 0), 0));
    HostLayout host;
    // The caption action comes due only in the clock's second pass through 07:00:02.
    HostRunResult run = host.Run(AdjustingHost + "entry Monday 07:00 sntp\n"
                                 "start 2026-12-07 06:59:50\nat 07:00:01 wait log clock: set to\n"
                                 "at 07:00:02 caption\nend 2026-12-07 07:00:30\n");
    ASSERT_EQ(run.exitCode, 0u) << run.log;
    ASSERT_TRUE(run.Has("clock: set to 2026-12-07 06:58:0")) << run.log;
    EXPECT_EQ(run.Count("command: "), 1u) << run.log;
    EXPECT_EQ(server.Requests(), 1);
    EXPECT_TRUE(run.Has("07:00:02.0 menu: \"CHRONEL ｽｹｼﾞｭｰﾙ停止 [07:00](&X)\"")) << run.log;
}

// ---- A run of days with random clock steps, checked from the host's log ----

// Local milliseconds since 1601 of a stamp "YYYY-MM-DD hh:mm:ss.fff" (or ".f"); the run is in
// JST, which has no daylight saving, so local times never repeat except by a step.
int64_t StampMilliseconds(const std::string& stamp)
{
    size_t blank = stamp.find(' ');
    SYSTEMTIME time;
    if (blank == std::string::npos ||
        !ParseDateAndTime(stamp.substr(0, blank).c_str(), stamp.substr(blank + 1).c_str(), &time))
        return -1;
    return MillisecondsOf(time);
}

constexpr int64_t MinuteMs = 60000;

int WeekdayOfMinute(int64_t minute)
{
    return static_cast<int>((minute / 1440 + 1) % 7);  // 1601-01-01 was a Monday
}

// The week's entries: every ten minutes, each weekday at its own minute of the ten (Sunday at :00,
// :10 ..., Monday at :01, :11 ...), every other one a patrol receive.
struct Entries {
    std::string Lines() const
    {
        static const char* const days[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
        std::string lines;
        for (int day = 0; day < 7; ++day) {
            for (int minute = day; minute < 1440; minute += 10) {
                char line[64];
                std::snprintf(line, sizeof line, "entry %s %02d:%02d%s\n", days[day], minute / 60, minute % 60,
                              Around(minute) ? " around" : "");
                lines += line;
            }
        }
        return lines;
    }
    static bool Around(int minuteOfDay) { return minuteOfDay / 10 % 2 == 1; }
    // The entry at a local minute: 0 none, 1 receive, 2 patrol receive.
    static int At(int64_t minute)
    {
        int ofDay = static_cast<int>(minute % 1440);
        if (ofDay % 10 != WeekdayOfMinute(minute))
            return 0;
        return Around(ofDay) ? 2 : 1;
    }
};

// What the log shows of a run of the host: the stretches in which the clock moved on normally (from
// one step to the next), the runs, and the ticks at which a minute began while no run was going.
struct StepRunCheck {
    struct Position {
        size_t segment;
        int64_t tenths;  // the log's stamps are to a tenth of a second
        bool operator<(const Position& other) const
        {
            return segment != other.segment ? segment < other.segment : tenths < other.tenths;
        }
    };
    struct Segment {
        int64_t after;      // the clock's value where the stretch began (not a tick)
        int64_t lastTick;   // its last tick
    };
    std::vector<Segment> segments;
    std::vector<std::pair<Position, Position>> runs;  // start, end
    std::map<int64_t, int> started;                    // local minute -> runs started in it
    std::vector<std::string> errors;
    size_t steps = 0, back = 0;

    void Read(const std::string& log, int64_t start)
    {
        segments.push_back({start, start});
        std::istringstream lines(log);
        std::string line;
        Position open{0, -1};
        bool going = false;
        while (std::getline(lines, line)) {
            if (line.size() < 22)
                continue;
            int64_t at = StampMilliseconds(line.substr(0, 21));
            std::string text = line.substr(22);
            Position here{segments.size() - 1, at / 100};
            char from[32], to[32];
            long long by = 0;
            if (std::sscanf(text.c_str(), "clock: steps %lld ms from %31[0-9-] %31[0-9:.]", &by, from, to) == 3) {
                std::string fromStamp = std::string(from) + " " + to;
                size_t toAt = text.find(" to ");
                segments.back().lastTick = StampMilliseconds(fromStamp);
                segments.push_back({StampMilliseconds(text.substr(toAt + 4, 23)), 0});
                ++steps;
                back += by < 0;
            } else if (text.rfind("host: clock stopped at ", 0) == 0) {
                segments.back().lastTick = StampMilliseconds(text.substr(23, 23));
            } else if (text.rfind("command: 3", 0) == 0) {
                int64_t minute = at / MinuteMs;
                int kind = text.find("patrol") != std::string::npos ? 2 : 1;
                if (Entries::At(minute) != kind)
                    errors.push_back("a run without its entry: " + line);
                if (++started[minute] == 2)
                    errors.push_back("an entry ran twice: " + line);
                open = here;
                going = true;
            } else if (text.find("APCFolderEndRetrieve") != std::string::npos) {
                runs.push_back({open, here});
                going = false;
            }
        }
        if (going)
            runs.push_back({open, {SIZE_MAX, 0}});
        if (segments.back().lastTick == 0)
            segments.back().lastTick = segments.back().after;
    }

    bool RunGoingAt(const Position& tick) const
    {
        for (const auto& run : runs) {
            if (run.first < tick && tick < run.second)
                return true;
        }
        return false;
    }

    // Every entry whose minute the clock entered by running on (not by a step) while no run was
    // going has run. Returns how many such minutes there were.
    size_t CheckNoneLost()
    {
        std::set<int64_t> expected;
        for (size_t i = 0; i < segments.size(); ++i) {
            const Segment& segment = segments[i];
            for (int64_t minute = segment.after / MinuteMs + 1; minute * MinuteMs <= segment.lastTick; ++minute) {
                if (!Entries::At(minute))
                    continue;
                // The first tick at or after the minute's start.
                int64_t tick = segment.after + (minute * MinuteMs - segment.after + 499) / 500 * 500;
                if (!RunGoingAt({i, tick / 100}))
                    expected.insert(minute);
            }
        }
        for (int64_t minute : expected) {
            if (!started.count(minute))
                errors.push_back("an entry never ran: minute " + std::to_string(minute % 1440) + " of day " +
                                 std::to_string(minute / 1440));
        }
        return expected.size();
    }
};

// Days from 2026-12-07 00:00 with an entry every ten minutes and the clock stepped at random: about
// every 20 minutes of the host's time, back by up to two hours or forward by up to three. No entry
// runs twice, no run starts without its entry, and every entry whose minute the clock came to by
// running on (while no other run was going) has run. CHRONEL_CLOCK_STEP_DAYS and
// CHRONEL_CLOCK_STEP_SEED choose a longer run or another seed (scripts/clock-steps.sh).
TEST_F(ClockStepTest, ARandomlySteppedClockRunsNoEntryTwiceAndLosesNone)
{
    const char* daysText = std::getenv("CHRONEL_CLOCK_STEP_DAYS");
    const char* seedText = std::getenv("CHRONEL_CLOCK_STEP_SEED");
    double days = daysText ? std::atof(daysText) : 0.5;
    unsigned long long seed = seedText ? std::strtoull(seedText, nullptr, 10) : 16;
    ASSERT_GT(days, 0);
    const int64_t start = StampMilliseconds("2026-12-07 00:00:00.0");
    const int64_t end = start + static_cast<int64_t>(days * 86400000);
    SYSTEMTIME last{};
    ULARGE_INTEGER value;
    value.QuadPart = static_cast<ULONGLONG>(end) * 10000;
    FILETIME file{value.LowPart, value.HighPart};
    FileTimeToSystemTime(&file, &last);
    char endLine[64];
    std::snprintf(endLine, sizeof endLine, "end %04u-%02u-%02u %02u:%02u:%02u\n", last.wYear, last.wMonth, last.wDay,
                  last.wHour, last.wMinute, last.wSecond);

    HostLayout host;
    HostRunResult run = host.Run("setting AutoStart dword 1\nreceive-seconds 3\n" + Entries().Lines() +
                                     "random-steps " + std::to_string(seed) + " 1200 7200 10800\n"
                                     "start 2026-12-07 00:00:00\n" + endLine,
                                 static_cast<DWORD>(600000 + days * 1800000));
    ASSERT_EQ(run.exitCode, 0u) << run.log.substr(0, 4000);
    ASSERT_FALSE(run.timedOut);

    StepRunCheck check;
    check.Read(run.log, start);
    size_t expected = check.CheckNoneLost();
    std::printf("clock steps: %u (%u back), runs %u, entries whose minute the clock ran into %u\n",
                static_cast<unsigned>(check.steps), static_cast<unsigned>(check.back),
                static_cast<unsigned>(check.started.size()), static_cast<unsigned>(expected));
    EXPECT_GE(check.steps, static_cast<size_t>(days * 40)) << "too few steps to say anything";
    EXPECT_GE(check.back, check.steps / 4);
    EXPECT_GE(expected, static_cast<size_t>(days * 50));
    for (const std::string& error : check.errors)
        ADD_FAILURE() << error;
}

}  // namespace
