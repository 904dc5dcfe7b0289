#pragma once
// How one clock adjustment ended: the record that the exchange fills, the registry keeps under
// ChronelPlug\Status, and the editor shows as one line of Japanese text. No platform code.

#include <cstdint>

class TextBuffer;

// Stored as Status\Result; the numbers never change meaning.
enum SntpResult : uint32_t {
    SntpClockSet = 0,
    SntpNoRight = 1,            // the system refused the change for want of the right to make it
    SntpSetFailed = 2,          // the system refused the change for another reason (detail)
    SntpNoReply = 3,            // nothing usable came within the time-out
    SntpNameNotFound = 4,       // the server's name could not be resolved (detail: socket error)
    SntpNoServer = 5,           // no server is set
    SntpPortInUse = 6,          // local port 1024 is held, most likely by another exchange
    SntpSocketError = 7,        // a socket call failed (detail: socket error)
    SntpReplyNotServer = 8,     // refused replies: the reply was not in server mode
    SntpReplyUnsynchronised = 9,  // the server's clock is not synchronised
    SntpReplyKissOfDeath = 10,  // the server refused to serve (detail: its four-letter code)
    SntpReplyOriginateMismatch = 11,  // only replies that did not answer our request came
    SntpReplyShort = 12,        // only replies shorter than 48 bytes came
    SntpReplyNoTime = 13,       // the reply carried no transmit time
    SntpTimeOutOfRange = 14,    // the corrected time lies outside 1970 to 2038
    SntpNotStarted = 15,        // the exchange could not be started (memory, thread)
    SntpReplyTooSlow = 16,      // no reply came back soon enough to hold the error within Accuracy
                                // (detail: the least round trip in milliseconds)
    SntpWithinAccuracy = 17,    // the clock was within Accuracy of the server's and was left alone
};

struct SntpOutcome {
    uint32_t result = SntpNotStarted;
    // The system's error code of the failing call; for a kiss-o'-death reply the four letters of
    // its code, the first in the top byte; for a reply too slow its round trip in milliseconds.
    // 0 when there is none.
    uint32_t detail = 0;
    // The local clock's measured offset from the server in milliseconds (positive: the clock was
    // behind); applied when the clock was set. 0 unless SntpMeasured(result).
    int64_t correctionMs = 0;
    // The local date and time by the clock when the exchange ended (after any change).
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    // The server as given, cut to fit.
    char server[256] = "";

    void SetServer(const char* name);
    void SetTime(int year, int month, int day, int hour, int minute, int second);
};

// True for the results that come after a reply was accepted, which carry a correction.
bool SntpMeasured(uint32_t result);

// What happened, in Japanese, without the time: "成功 (+1.234 秒)", "失敗: ...".
void AppendSntpOutcomeText(const SntpOutcome& outcome, TextBuffer& out);
// The page's status line: "前回の時刻合わせ: 2026/12/07 07:00:02 成功 (+1.234 秒)"; for none
// recorded "前回の時刻合わせ: 記録はありません".
void SntpStatusLine(const SntpOutcome* outcome, TextBuffer& out);
// The log's line for an exchange: "時刻合わせ (サーバー ntp.example.jp): 成功 (+1.234 秒)";
// manual for one the editor's button started.
void SntpLogMessage(const SntpOutcome& outcome, bool manual, TextBuffer& out);
// The line while an exchange runs.
void SntpRunningLine(int timeoutSeconds, TextBuffer& out);
// The local date and time as "2026/12/07 07:00:02" (the form Status\Time stores).
void AppendSntpTime(const SntpOutcome& outcome, TextBuffer& out);
// Reads that form back into the outcome's date and time; false (outcome untouched) for anything
// else, or a date or time out of range.
bool ParseSntpTime(const char* text, SntpOutcome* outcome);
