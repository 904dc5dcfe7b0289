#pragma once

#define IDD_ABOUT 100
#define IDD_RESERVE 101
#define IDT_ABOUT_PLUGIN 1000
#define IDT_ABOUT_EDITOR 1001

// Strings, kept as resources: chronel's constant data has no room to spare under 80 KB.
#define IDS_SETTINGS_SAVED_TITLE 100  // the title of the window the editor tells of each save
#define IDS_EDITOR_NOT_LOADED 101     // the settings command without chronset.dll

// Reservation dialog: the buttons, then each field's edit and up-down.
#define IDB_RESERVE_SET 1
#define IDB_RESERVE_CLOSE 2
#define IDB_RESERVE_REMOVE 3
#define IDE_RESERVE_YEAR 1003
#define IDU_RESERVE_YEAR 1004
#define IDE_RESERVE_MONTH 1005
#define IDU_RESERVE_MONTH 1006
#define IDE_RESERVE_DAY 1007
#define IDU_RESERVE_DAY 1008
#define IDE_RESERVE_HOUR 1009
#define IDU_RESERVE_HOUR 1010
#define IDE_RESERVE_MINUTE 1011
#define IDU_RESERVE_MINUTE 1012
// The chosen moment in words, under the fields.
#define IDT_RESERVE_MOMENT 1013
