#pragma once
// Lines of chronel's log from the host's user-interface thread. They are stamped at once and
// handed to a writer thread of the plug-in's own, so that neither a slow disk nor a log held by
// another writer ever holds up the tick. The queue is bounded: lines that would pass its bound are
// counted, and the count is written once there is room.

#include <windows.h>

// Stamps message with the local clock now and queues it for the writer, which is started when
// there is none.
void QueueLogLine(const char* message);

// The writer keeps waiting for lines from StartLogWriter until StopLogWriter; between the two a
// queued line starts a writer that ends once it has written what is queued. The writer holds its
// own reference to the library, so the host may free it while the writer still writes.
void StartLogWriter();
// Lets the writer end once the queue is written and waits for that at most timeoutMs. True when
// everything queued has been written (or could not be) and the writer has ended.
bool StopLogWriter(DWORD timeoutMs);
