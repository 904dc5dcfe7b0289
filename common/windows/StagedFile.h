#pragma once
// A rewritten file is first written whole to a staging file of its own beside it, then put in the
// file's place: by a rename when the file can be replaced, else by writing it over the file.

#include "FileHandle.h"

#include <cstddef>

// Creates a new, empty staging file beside target for this rewrite alone: no other rewrite, in
// this process or another, gets the same name. Its path is exactly as long as target's, so it
// fits wherever target does. target must end in "." and three ASCII letters or digits. Returns
// the file opened for writing with stagingPath (size bytes) filled in, or an invalid handle.
// Every call below goes through files.
FileHandle CreateStagingBeside(const char* target, char* stagingPath, size_t size, const FileCalls& files);

enum class StagedResult {
    Replaced,     // target holds the staged content; the staging file is gone
    NotReplaced,  // target is as it was, as far as the system said; the staging file is kept
                  // for the caller to check target and remove it
    Damaged,      // target was partly written over and could not be finished; the staging file,
                  // the complete content, is kept beside it
};

// Puts the closed staging file, written whole and flushed, in place of target; a copy over
// target goes through buffer.
StagedResult ReplaceWithStaged(const char* stagingPath, const char* target, CopyBuffer& buffer, const FileCalls& files);

// Deletes a staging file that is not to be used.
void RemoveStaging(const char* stagingPath, const FileCalls& files);

// The name part of a path, after its last separator; a trail byte that looks like one ("表" ends
// in 0x5C) is passed over.
const char* FileNamePart(const char* path);
