#pragma once
// Paths in the host's mailbox folder.

#include <cstddef>

// Writes the mailbox folder root, first, "\" second, "\" third and suffix into out (the parts
// present); returns out. A path that does not fit in size bytes, or without a root, comes back
// empty rather than cut or relative to whatever folder is current.
char* MailboxPath(const char* root, char* out, size_t size, const char* first, const char* second,
                  const char* third, const char* suffix);
