#pragma once
// Resource and control identifiers of chronset.dll. The numbers are fixed; the prefixes say the
// control's kind: IDX_ check box, IDE_ edit, IDU_ spin, IDT_ static text, IDR_ radio button,
// IDG_ group box, IDB_ push button, IDC_ other controls.

#define IDS_SHEET_CAPTION 200
#define IDS_STATUS_CAPTION 201  // the status window's caption, by which it is found again

#define IDI_NO_MARK 130
#define IDI_EVERY_DAY 131
#define IDI_RESERVE_MARK1 132  // up to 138, one per mark

#define IDD_SNTP 129
#define IDD_SCHEDULE 205
#define IDD_CHRONEL 206
#define IDD_SCHEDULE_DETAIL 304
#define IDD_RESERVE 305
#define IDD_STATUS 400
#define IDD_STATUS_TIME 401

// Schedule page (205)
#define IDC_SCH_LIST 1008
#define IDC_SCH_TAB 1010
#define IDB_SCH_ADD 1034
#define IDB_SCH_EDIT 1035
#define IDB_SCH_DELETE 1036
#define IDX_SCH_CONNECT 1005
#define IDE_SCH_CONNECT_HOUR 1007
#define IDU_SCH_CONNECT_HOUR 1009
#define IDE_SCH_CONNECT_MINUTE 1011
#define IDU_SCH_CONNECT_MINUTE 1012
#define IDX_SCH_DISCONNECT 1006
#define IDE_SCH_DISCONNECT_HOUR 1015
#define IDU_SCH_DISCONNECT_HOUR 1023
#define IDE_SCH_DISCONNECT_MINUTE 1019
#define IDU_SCH_DISCONNECT_MINUTE 1029

// General page (206)
#define IDC_GEN_SHORTCUT 1000
#define IDX_GEN_NO_NORMAL 1001
#define IDB_GEN_EXPORT 1002
#define IDB_GEN_OPEN_LOG 1003
#define IDS_GEN_LOG_STATE 1004
#define IDX_GEN_AUTO_DISTRIBUTE 1010
#define IDX_GEN_AUTO_START 1039
#define IDB_GEN_STATUS 1040

// Status window (400) and its change of a reservation's moment (401)
#define IDT_STA_STATE 1100
#define IDT_STA_NEXT 1101
#define IDT_STA_CLOCK 1102
#define IDC_STA_TAB 1103
#define IDC_STA_HELD 1104
#define IDC_STA_LOG 1105
#define IDB_STA_SEND_NOW 1106
#define IDB_STA_CHANGE 1107
#define IDB_STA_REFRESH 1108
#define IDB_STA_OPEN_LOG 1109
#define IDE_STA_YEAR 1110  // year, month, day, hour, minute: edits 1110 to 1114
#define IDU_STA_YEAR 1120  // and their up-downs 1120 to 1124

// Schedule detail dialog (304)
#define IDX_DTL_AROUND 1001
#define IDE_DTL_HOUR 1014
#define IDE_DTL_MINUTE 1018
#define IDU_DTL_HOUR 1022
#define IDU_DTL_MINUTE 1028
#define IDX_DTL_SNTP 1029
#define IDX_DTL_EVERY_DAY 1032
#define IDX_DTL_MONDAY 1060  // Monday to Sunday: 1060 to 1066

// Send-reservation page (305)
#define IDX_RSV_USE 1007
#define IDX_RSV_SEND_QUICK 1008
#define IDX_RSV_CHANGE_DATE 1009
#define IDE_RSV_PRE_SEC 1012
#define IDU_RSV_PRE_SEC 1013
#define IDE_RSV_POST_SEC 1014
#define IDU_RSV_POST_SEC 1015
#define IDT_RSV_PRE_LABEL 1016
#define IDT_RSV_PRE_UNIT 1017
#define IDT_RSV_POST_UNIT 1018
#define IDG_RSV_MARK 1019
#define IDR_RSV_MARK1 1082  // marks 1 to 7: 1082 to 1088
#define IDR_RSV_NO_MARK 1089

// Time-adjustment page (129)
#define IDE_NTP_SERVER 1021
#define IDE_NTP_TIMEOUT 1023
#define IDE_NTP_ACCURACY 1024
#define IDU_NTP_TIMEOUT 1025
#define IDU_NTP_ACCURACY 1026
#define IDX_NTP_USE 1027
#define IDT_NTP_TIMEOUT_UNIT 1030
#define IDT_NTP_ACCURACY_UNIT 1031
#define IDT_NTP_SERVER 1032
#define IDT_NTP_TIMEOUT 1033
#define IDT_NTP_ACCURACY 1034
#define IDX_NTP_RUN_SERVER 1035
#define IDT_NTP_STATUS 1040
#define IDB_NTP_ADJUST_NOW 1041
