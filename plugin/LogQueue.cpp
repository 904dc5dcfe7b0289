#include "LogQueue.h"

#include "../common/ActivityLog.h"
#include "../common/TextBuffer.h"

#include <utility>

namespace {

// Room for some hundreds of lines: far more than a minute's events, yet a disk that does not
// answer cannot make the queue grow without end.
constexpr size_t QueueLimit = 64 * 1024;

struct LogQueueState {
    CRITICAL_SECTION lock;
    HANDLE wake;          // auto-reset: lines were queued, or the writer may end
    TextBuffer pending;   // whole lines, oldest first
    unsigned long dropped = 0;  // lines left out for want of room, since the last write
    bool keepWaiting = false;   // between StartLogWriter and StopLogWriter
    bool writerRunning = false;
    HANDLE writer = nullptr;    // the last writer thread started, until it is waited for

    LogQueueState()
    {
        InitializeCriticalSection(&lock);
        wake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    }
    ~LogQueueState()
    {
        if (writer)
            CloseHandle(writer);
        if (wake)
            CloseHandle(wake);
        DeleteCriticalSection(&lock);
    }
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

DWORD WINAPI WriteQueuedLines(LPVOID parameter)
{
    HMODULE module = static_cast<HMODULE>(parameter);
    for (;;) {
        TextBuffer batch;
        {
            QueueLock held;
            if (Queue.pending.empty() && !Queue.dropped) {
                if (!Queue.keepWaiting) {
                    Queue.writerRunning = false;
                    break;
                }
            } else {
                batch = std::move(Queue.pending);
                if (Queue.dropped)
                    AppendDroppedLine(batch, Queue.dropped);
                Queue.dropped = 0;
            }
        }
        if (batch.empty()) {
            WaitForSingleObject(Queue.wake, INFINITE);
            continue;
        }
        // A failed write changes nothing else: the lines are gone, the plug-in goes on.
        AppendActivityLog(batch.c_str(), batch.size());
    }
    FreeLibraryAndExitThread(module, 0);
    return 0;
}

// Under the lock: starts a writer when none runs. False when none could be started.
bool EnsureWriter()
{
    if (Queue.writerRunning)
        return true;
    HMODULE module = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCSTR>(&WriteQueuedLines),
                            &module))
        return false;
    HANDLE thread = CreateThread(nullptr, 0, WriteQueuedLines, module, 0, nullptr);
    if (!thread) {
        FreeLibrary(module);
        return false;
    }
    if (Queue.writer)
        CloseHandle(Queue.writer);
    Queue.writer = thread;
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
        SetEvent(Queue.wake);
}

void StartLogWriter()
{
    QueueLock held;
    Queue.keepWaiting = true;
    EnsureWriter();
}

bool StopLogWriter(DWORD timeoutMs)
{
    HANDLE writer = nullptr;
    {
        QueueLock held;
        Queue.keepWaiting = false;
        // None started, or an earlier stop gave up waiting for it.
        if (!Queue.writer)
            return !Queue.writerRunning;
        writer = Queue.writer;
        Queue.writer = nullptr;
    }
    SetEvent(Queue.wake);
    bool ended = WaitForSingleObject(writer, timeoutMs) == WAIT_OBJECT_0;
    CloseHandle(writer);
    return ended;
}
