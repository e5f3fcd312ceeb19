/* setupeditor_ids.h: resource IDs of SetupEditor: its icon, its main dialog's controls and its string table. */
#pragma once

#include "login_ids.h"

#define IDI_SETUPEDITOR 128

/* The settings editor dialog. */
#define IDD_SETTINGS_EDITOR 102
#define IDC_REGISTER_TEST 1000
#define IDC_QUICK_LOOPBACK 1001
#define IDC_LONG_LOOPBACK 1002
#define IDC_EXTERNAL_LOOPBACK 1003
#define IDC_ENABLE_LOGGING 1004
#define IDC_PACKET_COUNT 1005
#define IDC_PACKET_SIZE 1006
#define IDC_OVERWRITE_ADDRESS 1007
#define IDC_LAUNCH_DIAGNOSTICS 1008
#define IDC_VERIFY_ADDRESS 1009
#define IDC_CHANGE_SAVE_SETTINGS 1010
#define IDC_EXIT 1011
#define IDC_STATUS 1023
#define IDC_ADDRESS_BYTE1 1030
#define IDC_ADDRESS_BYTE2 1031
#define IDC_ADDRESS_BYTE3 1032
#define IDC_ADDRESS_BYTE4 1033
#define IDC_ADDRESS_BYTE5 1034
#define IDC_ADDRESS_BYTE6 1035
#define IDC_CLEAR_ADDRESS 1036
/* The station's re-issue guard ([LEDGER] GuardReissue), with the other station options. */
#define IDC_GUARD_REISSUE 1040
/* Opens the "Ledger Server" dialog: the station's name and its ledger server ([LEDGER]
   StationName and Connection), saved with the other station options. */
#define IDC_LEDGER_SETTINGS 1041

/* The "Ledger Server" dialog. */
#define IDD_LEDGER_SETTINGS 103
#define IDC_STATION_NAME 1050
#define IDC_LEDGER_CONNECTION 1051

/* String table (the login's messages are in login_ids.h). */
#define IDS_STATUS_START 1
#define IDS_STATUS_EDITING 3
#define IDS_STATUS_SAVED 4
#define IDS_EMPTY_ADDRESS 5
#define IDS_STATUS_SAVING 8
#define IDS_PACKET_COUNT_LIMIT 12
#define IDS_PACKET_SIZE_LIMIT 13
/* Save or Clear could not write a file (%s: its path). */
#define IDS_NOT_SAVED 19
