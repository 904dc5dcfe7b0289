#pragma once
// The owner of the editor's image lists (the icons taken from them are IconHandles).

#include "common/Owned.h"

#include <windows.h>
#include <commctrl.h>

class ImageList {
public:
    ImageList() = default;
    ~ImageList() { Reset(); }
    ImageList(const ImageList&) = delete;
    ImageList& operator=(const ImageList&) = delete;

    // 16 x 16 with masks; icon resources of chronset.dll added in order. Empty on failure.
    bool Create(const int* iconIds, int count);
    HIMAGELIST Get() const { return list_; }
    void Reset()
    {
        if (list_)
            ImageList_Destroy(list_);
        list_ = nullptr;
    }

private:
    HIMAGELIST list_ = nullptr;
};
