#include "ImageList.h"

#include "Dialog.h"

ImageListHandle CreateIconList(const int* iconIds, int count)
{
    ImageListHandle list(ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, count, 1));
    if (!list)
        return list;
    for (int i = 0; i < count; ++i) {
        // Shared icons belong to the system's cache; the list keeps its own copy.
        HICON icon = static_cast<HICON>(
            LoadImageA(EditorModule(), MAKEINTRESOURCEA(iconIds[i]), IMAGE_ICON, 16, 16, LR_SHARED));
        ImageList_AddIcon(list.Get(), icon);
    }
    return list;
}
