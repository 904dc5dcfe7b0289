#pragma once
// Owners for the editor's image lists and the icons taken from them.

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

class IconHandle {
public:
    IconHandle() = default;
    ~IconHandle() { Reset(nullptr); }
    IconHandle(const IconHandle&) = delete;
    IconHandle& operator=(const IconHandle&) = delete;

    HICON Get() const { return icon_; }
    void Reset(HICON icon)
    {
        if (icon_)
            DestroyIcon(icon_);
        icon_ = icon;
    }

private:
    HICON icon_ = nullptr;
};
