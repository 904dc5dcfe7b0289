#pragma once
// The editor's image lists (the icons taken from them are IconHandles).

#include "../common/pure/Owned.h"

// 16 x 16 with masks; icon resources of chronset.dll added in order. Empty on failure.
ImageListHandle CreateIconList(const int* iconIds, int count);
