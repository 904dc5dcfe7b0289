#include "LogLines.h"

#include "../common/pure/LogText.h"
#include "../common/pure/SntpOutcome.h"
#include "../common/pure/TextBuffer.h"
#include "LogQueue.h"
#include "../common/windows/Time32.h"
#include "../common/pure/CivilTime.h"

namespace {

const char* const DayNames[7] = {"日曜", "月曜", "火曜", "水曜", "木曜", "金曜", "土曜"};

void Queue(const TextBuffer& message)
{
    if (!message.Failed())
        QueueLogLine(message.c_str());
}

// "月曜 07:00"
void AppendEntry(TextBuffer& out, const ScheduleEntry& entry, int weekday)
{
    if (weekday >= 0 && weekday < 7) {
        out += DayNames[weekday];
        out += ' ';
    }
    AppendDecimal(out, static_cast<unsigned>(entry.Hour < 0 ? 0 : entry.Hour), 2);
    out += ':';
    AppendDecimal(out, static_cast<unsigned>(entry.Minute < 0 ? 0 : entry.Minute), 2);
}

void AppendNextEvent(TextBuffer& out, const ScheduleView& shown)
{
    if (shown.nextDay < 0) {
        out += "次の予定はありません";
        return;
    }
    out += "次の予定 ";
    AppendEntry(out, shown.next, shown.nextDay);
}

// A reservation time in local date and time: "2026/12/07 08:00:00".
void AppendReservation(TextBuffer& out, int32_t reserved)
{
    SYSTEMTIME local;
    if (!Time32ToLocalFields(reserved, &local)) {
        out += "不明な時刻";
        return;
    }
    AppendDateTime(out, local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond);
}

// A reserved message by its path and subject, and its reservation:
// "Account1\Outbox.box\00000001 「件名」 (予約 2026/12/07 08:00:00)".
void AppendReservedMessage(TextBuffer& out, const char* id, const char* subject, int32_t reserved)
{
    out += id;
    if (subject[0]) {
        out += " 「";
        out += subject;
        out += "」";
    }
    out += " (予約 ";
    AppendReservation(out, reserved);
    out += ')';
}

// A minute of local time as LocalMinute counts it: "2026/12/07 07:02".
void AppendMinute(TextBuffer& out, int64_t minute)
{
    CivilFields at = FieldsFromSeconds(minute * 60);
    AppendDecimal(out, static_cast<unsigned>(at.year < 0 ? 0 : at.year), 4);
    out += '/';
    AppendDecimal(out, static_cast<unsigned>(at.month), 2);
    out += '/';
    AppendDecimal(out, static_cast<unsigned>(at.day), 2);
    out += ' ';
    AppendEntry(out, ScheduleEntry(at.hour, at.minute), -1);
}

// A minute of the week as LocalMinute counts it: "月曜 07:00".
void AppendMinuteOfWeek(TextBuffer& out, int64_t minute)
{
    CivilFields at = FieldsFromSeconds(minute * 60);
    AppendEntry(out, ScheduleEntry(at.hour, at.minute), at.weekday);
}

void AppendError(TextBuffer& out, unsigned long error)
{
    if (!error)
        return;
    out += " (エラー ";
    AppendDecimal(out, error);
    out += ')';
}

}  // namespace

void LogPluginStarted(const ScheduleView& shown)
{
    TextBuffer message("chronel を開始しました (スケジュール: ");
    if (shown.offersStart) {
        message += "停止中";
    } else {
        message += "実行中、";
        AppendNextEvent(message, shown);
    }
    message += ')';
    Queue(message);
}

void LogPluginEnded()
{
    QueueLogLine("chronel を終了しました");
}

void LogScheduleSwitched(const ScheduleView& shown, int passedWhileStopped)
{
    if (shown.offersStart) {
        QueueLogLine("スケジュールを停止しました");
        return;
    }
    TextBuffer message("スケジュールを開始しました (");
    if (passedWhileStopped > 0) {
        message += "停止中に ";
        AppendDecimal(message, static_cast<unsigned>(passedWhileStopped));
        message += " 件の予定を見送りました、";
    }
    AppendNextEvent(message, shown);
    message += ')';
    Queue(message);
}

void LogRunStarted(const ScheduleEntry& entry, int weekday, bool forEntry, bool patrol, bool adjustClock)
{
    TextBuffer message;
    if (forEntry) {
        message += "スケジュール受信を開始しました: ";
        AppendEntry(message, entry, weekday);
        message += " の予定、";
    } else {
        message += "予約メールを送信待ちにしたので受信を開始しました: ";
    }
    message += patrol ? "巡回受信" : "受信";
    if (adjustClock)
        message += "、時刻合わせあり";
    Queue(message);
}

const char* PassOverText(PassOverReason why);

void LogRunEnded(bool distribute, bool failed)
{
    TextBuffer message(failed ? "受信がエラーで終わりました" : "受信が終わりました");
    if (distribute)
        message += " (振り分けを実行します)";
    Queue(message);
}

void LogRunError(const char* text)
{
    TextBuffer message("受信中に Quillpost のエラー表示を閉じました");
    if (text[0]) {
        message += ": ";
        message += text;
    }
    Queue(message);
}

void LogRunStuck()
{
    QueueLogLine(PassOverText(PassOverReason::RunStuck));
}

const char* PassOverText(PassOverReason why)
{
    switch (why) {
    case PassOverReason::ScheduleStopped:
        return "スケジュールが停止しています";
    case PassOverReason::ConnectionHeld:
        return "予定の接続が切断の時刻まで続いています";
    case PassOverReason::RunGoing:
        return "前の受信がまだ終わっていません";
    case PassOverReason::ConnectMinute:
        return "同じ分に予定の接続を始めました";
    case PassOverReason::DisconnectMinute:
        return "同じ分に予定の切断を始めました";
    case PassOverReason::NoHostWindow:
        return "Quillpost のメインウィンドウがありません";
    case PassOverReason::NoTick:
        return "その分の間に一度も動作できませんでした (スリープ、時計の進み、Quillpost の処理待ちなど)";
    case PassOverReason::AlreadyRan:
        return "時計が戻りましたが、この時刻の予定は実行済みです";
    case PassOverReason::Reloaded:
        return "その分に設定を読み直しました";
    case PassOverReason::RunStuck:
        return "受信が30分たっても終わりません";
    case PassOverReason::LaterDailyTime:
        return "そのあとの予定の接続または切断の時刻が来ました";
    }
    return "";
}

void LogPassedOver(const ScheduleEntry& entry, int weekday, PassOverReason why)
{
    TextBuffer message;
    AppendEntry(message, entry, weekday);
    message += " の予定を見送りました: ";
    message += PassOverText(why);
    Queue(message);
}

void LogMorePassedOver(int count, bool atLeast, PassOverReason why)
{
    TextBuffer message("ほかに ");
    AppendDecimal(message, static_cast<unsigned>(count));
    message += atLeast ? " 件以上の予定を見送りました: " : " 件の予定を見送りました: ";
    message += PassOverText(why);
    Queue(message);
}

void LogClockWentBack(int64_t fromMinute, int64_t toMinute)
{
    TextBuffer message("時計が戻りました: ");
    AppendMinute(message, fromMinute);
    message += " から ";
    AppendMinute(message, toMinute);
    message += " へ";
    Queue(message);
}

// " (月曜 07:00 の予定より遅れて)" for a daily step a tick of its own minute could not start.
static void QueueDailyStarted(const char* text, int64_t lateFor)
{
    TextBuffer message(text);
    if (lateFor >= 0) {
        message += " (";
        AppendMinuteOfWeek(message, lateFor);
        message += " の予定より遅れて)";
    }
    Queue(message);
}

void LogConnectStarted(bool alreadyConnected, int64_t lateFor)
{
    QueueDailyStarted(alreadyConnected ? "予定の接続: すでに接続しています" : "予定の接続を始めました", lateFor);
}

void LogConnectEnded(bool connected)
{
    QueueLogLine(connected ? "接続しました" : "接続できませんでした (Quillpost のエラー表示を閉じました)");
}

void LogDisconnectStarted(bool wasConnected, int64_t lateFor)
{
    QueueDailyStarted(wasConnected ? "予定の切断を始めました" : "予定の切断: すでに切断しています", lateFor);
}

void LogDailyPassedOver(bool connect, int64_t at, PassOverReason why, bool held)
{
    TextBuffer message;
    AppendMinuteOfWeek(message, at);
    message += connect ? " の予定の接続を" : " の予定の切断を";
    message += held ? "待たせています: " : "見送りました: ";
    message += PassOverText(why);
    Queue(message);
}

void LogDisconnectEnded()
{
    QueueLogLine("切断しました");
}

void LogConnectionLost()
{
    QueueLogLine("予定の接続が切断の時刻より前に切れていました: スケジュール受信を再開します");
}

void LogReservationPosted(const char* id, const char* subject, int32_t reserved, bool held)
{
    TextBuffer message(held ? "送信予約を登録しました: "
                            : "送信予約を登録できず、次の送信で送られます (メールボックスの中のメールとして見つかりません): ");
    AppendReservedMessage(message, id, subject, reserved);
    Queue(message);
}

void LogRelease(const char* id, const char* subject, int32_t reserved, const RewriteReport& report)
{
    bool held = report.result == RewriteReport::NotNamed || report.result == RewriteReport::Damaged;
    TextBuffer message(held ? "予約メールを送信待ちにできませんでした: " : "予約メールを送信待ちにしました: ");
    AppendReservedMessage(message, id, subject, reserved);
    switch (report.result) {
    case RewriteReport::Rewritten:
        if (report.dateLine[0]) {
            message += "、";
            message += report.dateLine;
        }
        break;
    case RewriteReport::NotNamed:
        message += ": 名前が長すぎて Quillpost に渡せません";
        break;
    case RewriteReport::NoStaging:
        message += "、書き換えできず予約の行を残したまま送ります: 作業用のファイルを作れません";
        AppendError(message, report.error);
        break;
    case RewriteReport::NotOpened:
        message += "、書き換えできず予約の行を残したまま送ります: メールのファイルを開けません";
        AppendError(message, report.error);
        break;
    case RewriteReport::CopyFailed:
        message += "、書き換えできず予約の行を残したまま送ります: 読み書きに失敗しました";
        AppendError(message, report.error);
        break;
    case RewriteReport::Changed:
        message += "、書き換えできず予約の行を残したまま送ります: 読んでいる間にメールが書き換えられました";
        break;
    case RewriteReport::NotReplaced:
        message += "、書き換えできず予約の行を残したまま送ります: メールのファイルを置き換えられません";
        break;
    case RewriteReport::Damaged:
        message += "、書き換えの途中で失敗したため送信を止めました: メールの全文は同じフォルダーの ";
        message += report.kept;
        message += " にあります";
        break;
    }
    Queue(message);
}

void LogReleaseHeld(const char* id, const char* subject, int32_t reserved, PassOverReason why)
{
    TextBuffer message("予約メールの送信待ちを待たせています: ");
    AppendReservedMessage(message, id, subject, reserved);
    message += ": ";
    message += PassOverText(why);
    Queue(message);
}

void LogClockOutcome(const SntpOutcome& outcome)
{
    TextBuffer message;
    SntpLogMessage(outcome, false, message);
    Queue(message);
}
