#pragma once

// Releases the reserved messages of every account's outbox that are due at ReferenceTime.
// True when at least one was released.
bool ScanOutbox();
