#include "LogQueue.h"

#include "../common/windows/ActivityLog.h"
#include "../common/pure/Owned.h"
#include "../common/windows/PinnedThread.h"
#include "../common/pure/TextBuffer.h"

#include <utility>

namespace {

// Room for some hundreds of lines: far more than a minute's events, yet a disk that does not
// answer cannot make the queue grow without end.
constexpr size_t QueueLimit = 64 * 1024;

struct LogQueueState {
    CRITICAL_SECTION lock;
    ObjectHandle wake;    // auto-reset: lines were queued, or the writer may end
    TextBuffer pending;   // whole lines, oldest first
    unsigned long dropped = 0;  // lines left out for want of room, since the last write
    unsigned long lost = 0;     // lines of writes that failed, until a write says so
    bool keepWaiting = false;   // between StartLogWriter and StopLogWriter
    bool writerRunning = false;
    ObjectHandle writer;        // the last writer thread started, until it is waited for
    int published = -1;         // the writer's: 1 a failure published for the editor, 0 none, -1 not known

    LogQueueState()
    {
        InitializeCriticalSection(&lock);
        wake.Reset(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    }
    ~LogQueueState() { DeleteCriticalSection(&lock); }
    LogQueueState(const LogQueueState&) = delete;
    LogQueueState& operator=(const LogQueueState&) = delete;
};

LogQueueState Queue;

class QueueLock {
public:
    QueueLock() { EnterCriticalSection(&Queue.lock); }
    ~QueueLock() { LeaveCriticalSection(&Queue.lock); }
    QueueLock(const QueueLock&) = delete;
    QueueLock& operator=(const QueueLock&) = delete;
};

// The line that says how many lines were left out, stamped now.
void AppendDroppedLine(TextBuffer& batch, unsigned long dropped)
{
    TextBuffer message("記録が追いつかず ");
    AppendDecimal(message, dropped);
    message += " 行を省きました";
    AppendLogLine(batch, LocalLogStamp(), message.c_str());
}

// The line that says how many lines could not be written, stamped now.
void AppendLostLine(TextBuffer& batch, unsigned long lost)
{
    TextBuffer message("動作記録に書き込めず ");
    AppendDecimal(message, lost);
    message += " 行を失いました";
    AppendLogLine(batch, LocalLogStamp(), message.c_str());
}

unsigned long LinesIn(const TextBuffer& text)
{
    unsigned long lines = 0;
    for (size_t i = 0; i < text.size(); ++i)
        lines += text.c_str()[i] == '\n';
    return lines;
}

DWORD WINAPI WriteQueuedLines(LPVOID)
{
    for (;;) {
        TextBuffer batch;
        unsigned long dropped = 0, lost = 0;
        {
            QueueLock held;
            if (Queue.pending.empty() && !Queue.dropped) {
                if (!Queue.keepWaiting) {
                    Queue.writerRunning = false;
                    break;
                }
            } else {
                batch = std::move(Queue.pending);
                dropped = Queue.dropped;
                lost = Queue.lost;
                if (dropped)
                    AppendDroppedLine(batch, dropped);
                if (lost)
                    AppendLostLine(batch, lost);
                Queue.dropped = 0;
            }
        }
        if (batch.empty()) {
            WaitForSingleObject(Queue.wake.Get(), INFINITE);
            continue;
        }
        // A failed write changes nothing else: the lines are gone, the plug-in goes on, and the
        // next write that succeeds says how many.
        bool written = AppendActivityLog(batch.c_str(), batch.size());
        // Said once for the editor's general page when the log cannot be written, and taken back
        // once it can.
        if (Queue.published != (written ? 0 : 1)) {
            DWORD error = written ? 0 : GetLastError();
            PublishLogFailure(written ? 0 : error ? error : ERROR_WRITE_FAULT);
            Queue.published = written ? 0 : 1;
        }
        QueueLock held;
        if (written)
            Queue.lost -= lost;
        else
            Queue.lost += LinesIn(batch) - (dropped ? 1 : 0) - (lost ? 1 : 0) + dropped;
    }
    return 0;
}

// Under the lock: starts a writer when none runs. False when none could be started.
bool EnsureWriter()
{
    if (Queue.writerRunning)
        return true;
    ObjectHandle thread = StartPinnedThread(WriteQueuedLines, nullptr);
    if (!thread)
        return false;
    Queue.writer = std::move(thread);
    Queue.writerRunning = true;
    return true;
}

}  // namespace

void QueueLogLine(const char* message)
{
    TextBuffer line;
    AppendLogLine(line, LocalLogStamp(), message);
    bool wake = false;
    {
        QueueLock held;
        size_t before = Queue.pending.size();
        if (!line.Failed() && before + line.size() <= QueueLimit)
            Queue.pending.Append(line.c_str(), line.size());
        // A growth that failed leaves the queue as it was.
        if (Queue.pending.size() == before)
            ++Queue.dropped;
        if (!EnsureWriter())
            return;
        // The writer waits only after finding the queue empty under the lock, so only the line
        // that ends an empty queue needs to wake it: each wake costs a call into the system.
        wake = before == 0;
    }
    if (wake)
        SetEvent(Queue.wake.Get());
}

void StartLogWriter()
{
    QueueLock held;
    Queue.keepWaiting = true;
    EnsureWriter();
}

bool StopLogWriter(DWORD timeoutMs)
{
    ObjectHandle writer;
    {
        QueueLock held;
        Queue.keepWaiting = false;
        writer = std::move(Queue.writer);
        // None started, or it has ended.
        if (!writer && !Queue.writerRunning)
            return true;
    }
    SetEvent(Queue.wake.Get());
    if (!writer)
        return false;
    bool ended = WaitForSingleObject(writer.Get(), timeoutMs) == WAIT_OBJECT_0;
    if (!ended) {
        // Still writing: a later stop waits for it again.
        QueueLock held;
        if (!Queue.writer)
            Queue.writer = std::move(writer);
    }
    return ended;
}
