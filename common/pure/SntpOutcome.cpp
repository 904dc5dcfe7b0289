#include "SntpOutcome.h"

#include "OwnedText.h"

#include "LogText.h"
#include "TextBuffer.h"

#include <cstring>

namespace {

// "+1.234 秒", "-0.250 秒".
void AppendSeconds(int64_t milliseconds, TextBuffer& out)
{
    uint64_t magnitude = milliseconds < 0 ? 0 - static_cast<uint64_t>(milliseconds) : static_cast<uint64_t>(milliseconds);
    out += milliseconds < 0 ? '-' : '+';
    AppendDecimal(out, magnitude / 1000);
    out += '.';
    AppendDecimal(out, magnitude % 1000, 3);
    out += " 秒";
}

// "2,100": thousands set apart, as the round trip is shown.
void AppendGrouped(uint32_t value, TextBuffer& out)
{
    if (value >= 1000) {
        AppendGrouped(value / 1000, out);
        out += ',';
        AppendDecimal(out, value % 1000, 3);
    } else {
        AppendDecimal(out, value);
    }
}

void AppendErrorCode(uint32_t code, TextBuffer& out)
{
    out += " (エラー ";
    AppendDecimal(out, code);
    out += ")";
}

}  // namespace

void SntpOutcome::SetServer(const char* name)
{
    CopyBounded(server, sizeof server, name ? name : "");
}

void SntpOutcome::SetTime(int newYear, int newMonth, int newDay, int newHour, int newMinute, int newSecond)
{
    year = newYear;
    month = newMonth;
    day = newDay;
    hour = newHour;
    minute = newMinute;
    second = newSecond;
}

bool SntpMeasured(uint32_t result)
{
    return result == SntpClockSet || result == SntpNoRight || result == SntpSetFailed || result == SntpTimeOutOfRange ||
           result == SntpWithinAccuracy;
}

void AppendSntpOutcomeText(const SntpOutcome& outcome, TextBuffer& out)
{
    switch (outcome.result) {
    case SntpClockSet:
        out += "成功 (";
        AppendSeconds(outcome.correctionMs, out);
        out += ")";
        return;
    case SntpNoRight:
        out += "失敗: 時計を変更する権限がありません (ずれ ";
        AppendSeconds(outcome.correctionMs, out);
        out += ")";
        return;
    case SntpSetFailed:
        out += "失敗: 時計を変更できませんでした";
        AppendErrorCode(outcome.detail, out);
        return;
    case SntpNoReply:
        out += "失敗: 時間内にサーバーから応答がありませんでした";
        return;
    case SntpNameNotFound:
        out += "失敗: サーバー「";
        out += outcome.server;
        out += "」が見つかりません";
        return;
    case SntpNoServer:
        out += "失敗: SNTPサーバーが設定されていません";
        return;
    case SntpPortInUse:
        // Windows refuses a port that another program holds for itself, or that the system keeps
        // out of use, with 10013 rather than 10048.
        if (outcome.detail == 10013) {
            out += "失敗: UDPポート1024を使えません";
            AppendErrorCode(outcome.detail, out);
        } else {
            out += "失敗: UDPポート1024が使用中です (別の時刻合わせが実行中かもしれません)";
        }
        return;
    case SntpSocketError:
        // The errors a user can act on get words of their own (Windows Sockets' numbers).
        if (outcome.detail == 10054)
            out += "失敗: サーバーのUDPポート123に届きませんでした";  // port unreachable
        else if (outcome.detail == 10051 || outcome.detail == 10065)
            out += "失敗: サーバーへの経路がありません";  // network or host unreachable
        else
            out += "失敗: 通信エラー";
        AppendErrorCode(outcome.detail, out);
        return;
    case SntpReplyNotServer:
        out += "失敗: サーバーとしての応答ではありませんでした";
        return;
    case SntpReplyUnsynchronised:
        out += "失敗: サーバーの時計が同期していません";
        return;
    case SntpReplyKissOfDeath: {
        out += "失敗: サーバーが応答を拒否しました";
        char code[5] = {};
        for (int i = 0; i < 4; ++i) {
            char c = static_cast<char>(outcome.detail >> (24 - 8 * i));
            code[i] = c >= 0x20 && c < 0x7F ? c : '\0';
        }
        if (std::strlen(code) == 4) {
            out += " (";
            out += code;
            out += ")";
        }
        return;
    }
    case SntpReplyOriginateMismatch:
        out += "失敗: 送った要求に対する応答ではないものだけが届きました";
        return;
    case SntpReplyShort:
        out += "失敗: 短すぎる応答だけが届きました";
        return;
    case SntpReplyNoTime:
        out += "失敗: 応答に時刻が入っていませんでした";
        return;
    case SntpTimeOutOfRange:
        out += "失敗: 合わせる時刻が1970年から2038年の範囲の外です";
        return;
    case SntpNotStarted:
        out += "失敗: 時刻合わせを開始できませんでした";
        return;
    case SntpWithinAccuracy:
        out += "誤差 ";
        AppendDecimal(out, outcome.correctionMs < 0 ? 0 - static_cast<uint64_t>(outcome.correctionMs)
                                                    : static_cast<uint64_t>(outcome.correctionMs));
        out += " ミリ秒: 調整不要";
        return;
    case SntpReplyTooSlow:
        out += "失敗: 応答が遅すぎました (往復 ";
        AppendGrouped(outcome.detail, out);
        out += " ミリ秒)";
        return;
    default:
        out += "結果不明 (コード ";
        AppendDecimal(out, outcome.result);
        out += ")";
        return;
    }
}

void AppendSntpTime(const SntpOutcome& outcome, TextBuffer& out)
{
    AppendDateTime(out, outcome.year, outcome.month, outcome.day, outcome.hour, outcome.minute, outcome.second);
}

void SntpStatusLine(const SntpOutcome* outcome, TextBuffer& out)
{
    out += "前回の時刻合わせ: ";
    if (!outcome) {
        out += "記録はありません";
        return;
    }
    AppendSntpTime(*outcome, out);
    out += ' ';
    AppendSntpOutcomeText(*outcome, out);
}

void SntpLogMessage(const SntpOutcome& outcome, bool manual, TextBuffer& out)
{
    out += "時刻合わせ";
    if (manual || outcome.server[0]) {
        out += " (";
        if (manual)
            out += outcome.server[0] ? "今すぐ合わせる、" : "今すぐ合わせる";
        if (outcome.server[0]) {
            out += "サーバー ";
            out += outcome.server;
        }
        out += ')';
    }
    out += ": ";
    AppendSntpOutcomeText(outcome, out);
}

void SntpRunningLine(int timeoutSeconds, TextBuffer& out)
{
    out += "時刻合わせ中です… (応答を最大 ";
    AppendDecimal(out, static_cast<uint32_t>(timeoutSeconds < 0 ? 0 : timeoutSeconds));
    out += " 秒待ちます)";
}

bool ParseSntpTime(const char* text, SntpOutcome* outcome)
{
    // "YYYY/MM/DD hh:mm:ss": the digits' widths and the separators between them.
    static const int widths[] = {4, 2, 2, 2, 2, 2};
    static const char separators[] = {'/', '/', ' ', ':', ':', '\0'};
    static const int lowest[] = {1601, 1, 1, 0, 0, 0};
    static const int highest[] = {30827, 12, 31, 23, 59, 59};
    int fields[6];
    for (int i = 0; i < 6; ++i) {
        int value = 0;
        for (int d = 0; d < widths[i]; ++d, ++text) {
            if (*text < '0' || *text > '9')
                return false;
            value = value * 10 + (*text - '0');
        }
        if (*text != separators[i] || value < lowest[i] || value > highest[i])
            return false;
        if (separators[i])
            ++text;
        fields[i] = value;
    }
    outcome->SetTime(fields[0], fields[1], fields[2], fields[3], fields[4], fields[5]);
    return true;
}
