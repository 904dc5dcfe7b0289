#pragma once
// Page 2: send reservation, the random date window and the mark of reserved messages.

#include "ImageList.h"
#include "PropertyPage.h"

#include "../common/pure/Settings.h"

#include <cstdint>

class CReservePage : public CPropertyPage {
public:
    CReservePage();
    Settings* settings = nullptr;  // lent by the sheet

protected:
    void DoDataExchange(CDataExchange& dx) override;
    BOOL OnInitDialog() override;
    bool OnApply(DWORD* error) override;
    bool OnCommand(int id, int code) override;

private:
    void ApplyEnabling();
    void KeepMarkTabStop();

    int useReserve_ = 0;
    int sendQuick_ = 0;
    int changeDate_ = 0;
    uint32_t postSec_ = 0;
    uint32_t preSec_ = 0;
    int mark_ = 1;
    ImageListHandle marks_;
    IconHandle buttonIcons_[7];
};
