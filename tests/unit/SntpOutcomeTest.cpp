// The outcome of a clock adjustment as the editor's status line shows it, and its stored time.
#include "../../common/pure/SntpOutcome.h"
#include "../../common/pure/TextBuffer.h"

#include <gtest/gtest.h>

#include <string>

namespace {

SntpOutcome At(uint32_t result, int64_t correctionMs = 0, uint32_t detail = 0)
{
    SntpOutcome outcome;
    outcome.result = result;
    outcome.correctionMs = correctionMs;
    outcome.detail = detail;
    outcome.SetTime(2026, 12, 7, 7, 0, 2);
    outcome.SetServer("ntp.example.jp");
    return outcome;
}

std::string Line(const SntpOutcome* outcome)
{
    TextBuffer text;
    SntpStatusLine(outcome, text);
    return text.c_str();
}

TEST(SntpOutcomeTest, EveryResultReadsAsAJapaneseLine)
{
    const std::string prefix = "前回の時刻合わせ: 2026/12/07 07:00:02 ";
    struct Case {
        SntpOutcome outcome;
        const char* text;
    } cases[] = {
        {At(SntpClockSet, 1234), "成功 (+1.234 秒)"},
        {At(SntpClockSet, -250), "成功 (-0.250 秒)"},
        {At(SntpClockSet, 0), "成功 (+0.000 秒)"},
        {At(SntpClockSet, 3600007), "成功 (+3600.007 秒)"},
        {At(SntpClockSet, INT64_MIN), "成功 (-9223372036854775.808 秒)"},
        {At(SntpNoRight, -1500, 1314), "失敗: 時計を変更する権限がありません (ずれ -1.500 秒)"},
        {At(SntpSetFailed, 20, 87), "失敗: 時計を変更できませんでした (エラー 87)"},
        {At(SntpNoReply), "失敗: 時間内にサーバーから応答がありませんでした"},
        {At(SntpNameNotFound, 0, 11001), "失敗: サーバー「ntp.example.jp」が見つかりません"},
        {At(SntpNoServer), "失敗: SNTPサーバーが設定されていません"},
        {At(SntpPortInUse, 0, 10048), "失敗: UDPポート1024が使用中です (別の時刻合わせが実行中かもしれません)"},
        {At(SntpPortInUse, 0, 10013), "失敗: UDPポート1024を使えません (エラー 10013)"},
        {At(SntpSocketError, 0, 10013), "失敗: 通信エラー (エラー 10013)"},
        {At(SntpSocketError, 0, 10054), "失敗: サーバーのUDPポート123に届きませんでした (エラー 10054)"},
        {At(SntpSocketError, 0, 10065), "失敗: サーバーへの経路がありません (エラー 10065)"},
        {At(SntpReplyNotServer), "失敗: サーバーとしての応答ではありませんでした"},
        {At(SntpReplyUnsynchronised), "失敗: サーバーの時計が同期していません"},
        {At(SntpReplyKissOfDeath, 0, 0x52415445), "失敗: サーバーが応答を拒否しました (RATE)"},
        {At(SntpReplyKissOfDeath, 0, 0), "失敗: サーバーが応答を拒否しました"},
        {At(SntpReplyKissOfDeath, 0, 0x52410A45), "失敗: サーバーが応答を拒否しました"},
        {At(SntpReplyOriginateMismatch), "失敗: 送った要求に対する応答ではないものだけが届きました"},
        {At(SntpReplyShort), "失敗: 短すぎる応答だけが届きました"},
        {At(SntpReplyNoTime), "失敗: 応答に時刻が入っていませんでした"},
        {At(SntpTimeOutOfRange, 0), "失敗: 合わせる時刻が1970年から2038年の範囲の外です"},
        {At(SntpNotStarted), "失敗: 時刻合わせを開始できませんでした"},
        {At(SntpWithinAccuracy, -12), "誤差 12 ミリ秒: 調整不要"},
        {At(SntpReplyTooSlow, 0, 2100), "失敗: 応答が遅すぎました (往復 2,100 ミリ秒)"},
        {At(SntpReplyTooSlow, 0, 300000), "失敗: 応答が遅すぎました (往復 300,000 ミリ秒)"},
        {At(99), "結果不明 (コード 99)"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Line(&c.outcome), prefix + c.text) << c.outcome.result;
    EXPECT_EQ(Line(nullptr), "前回の時刻合わせ: 記録はありません");
    TextBuffer running;
    SntpRunningLine(600, running);
    EXPECT_STREQ(running.c_str(), "時刻合わせ中です… (応答を最大 600 秒待ちます)");
}

TEST(SntpOutcomeTest, OnlyResultsAfterAnAcceptedReplyCarryACorrection)
{
    for (uint32_t result = 0; result <= SntpWithinAccuracy; ++result) {
        bool measured = result == SntpClockSet || result == SntpNoRight || result == SntpSetFailed ||
                        result == SntpTimeOutOfRange || result == SntpWithinAccuracy;
        EXPECT_EQ(SntpMeasured(result), measured) << result;
    }
}

TEST(SntpOutcomeTest, StoredTimeReadsBackAndAnythingElseIsRefused)
{
    SntpOutcome outcome = At(SntpClockSet);
    TextBuffer text;
    AppendSntpTime(outcome, text);
    SntpOutcome read;
    ASSERT_TRUE(ParseSntpTime(text.c_str(), &read));
    EXPECT_EQ(read.year, 2026);
    EXPECT_EQ(read.month, 12);
    EXPECT_EQ(read.day, 7);
    EXPECT_EQ(read.hour, 7);
    EXPECT_EQ(read.minute, 0);
    EXPECT_EQ(read.second, 2);
    ASSERT_TRUE(ParseSntpTime("1999/01/31 23:59:59", &read));
    EXPECT_EQ(read.year, 1999);
    EXPECT_EQ(read.second, 59);
    for (const char* bad : {"", "2026/12/07", "2026/12/07 07:00:02 ", "2026-12-07 07:00:02", "2026/13/07 07:00:02",
                            "2026/12/00 07:00:02", "2026/12/07 24:00:00", "2026/12/07 07:60:00", "26/12/07 07:00:02",
                            "2026/12/07 7:00:02", "２０２６/12/07 07:00:02"}) {
        SntpOutcome untouched = At(SntpNoReply);
        EXPECT_FALSE(ParseSntpTime(bad, &untouched)) << bad;
        EXPECT_EQ(untouched.year, 2026) << bad;
        EXPECT_EQ(untouched.second, 2) << bad;
    }
    // A long server name is cut to fit, never overrun.
    std::string longName(400, 'n');
    outcome.SetServer(longName.c_str());
    EXPECT_EQ(std::string(outcome.server), longName.substr(0, sizeof outcome.server - 1));
    outcome.SetServer(nullptr);
    EXPECT_STREQ(outcome.server, "");
}

}  // namespace
