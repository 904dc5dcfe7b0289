#pragma once
// Paths in the host's mailbox folder.

#include <cstddef>

// Writes the mailbox folder, first, "\" second, "\" third and suffix into out (the parts
// present); returns out. A path that does not fit in size bytes comes back empty rather than cut.
char* MailboxPath(char* out, size_t size, const char* first, const char* second, const char* third,
                  const char* suffix);
