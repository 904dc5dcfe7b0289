// chronset.dll's one entry point: the settings sheet over the registry's settings.
#include "Dialog.h"
#include "SettingSheet.h"
#include "StatusWindow.h"
#include "resource.h"

#include "../common/windows/SettingsStore.h"
#include "contract/Quillpost.h"

#include <commctrl.h>

// Classic common controls (comctl32 version 5): the DLL carries no manifest and activates no
// context, so the sheet looks and behaves the same whatever the host process has chosen.
//
// 1 when settings were saved (OK, or Apply and then Cancel), so that the caller reloads them; 2
// after Cancel with nothing saved; 0 when the sheet could not be shown.
// Exported through chronset.def under its plain name. It takes no arguments, so the caller's
// convention does not matter.
extern "C" int SetUpChronel()
{
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_WIN95_CLASSES;
    InitCommonControlsEx(&controls);

    Settings settings;
    LoadSettings(settings);

    // chronel finds an open sheet by this caption.
    static_assert(IDS_SHEET_CAPTION == SheetCaptionString, "the contract's caption string");
    char caption[256] = "";
    LoadStringA(EditorModule(), IDS_SHEET_CAPTION, caption, sizeof caption);
    int result = 0;
    {
        CSettingSheet sheet(caption);
        sheet.SetSettings(&settings);
        result = sheet.DoModal();
    }
    return result;
}

// The status window, for chronel's menu item: one at a time, brought forward when asked again.
extern "C" void ShowChronelStatus()
{
    CStatusWindow::Show();
}
