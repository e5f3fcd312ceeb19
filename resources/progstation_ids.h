/* progstation_ids.h: resource IDs of ProgStation: its icon, its dialogs' controls and its string table. */
#pragma once

#include "login_ids.h"

#define IDI_PROGSTATION 128

/* The main dialog. */
#define IDD_PROGSTATION 102
#define IDC_START_BYTE1 1001
#define IDC_START_BYTE2 1002
#define IDC_START_BYTE3 1003
#define IDC_START_BYTE4 1004
#define IDC_START_BYTE5 1005
#define IDC_START_BYTE6 1006
#define IDC_OVERWRITE 1007
#define IDC_START 1008
#define IDC_EXIT 1009
#define IDC_STATUS 1010
#define IDC_DISPLAY_ADDRESSES 1011
#define IDC_VERIFY_ADDRESS 1012
#define IDC_AUTO_DIAGNOSTICS 1013
#define IDC_DEVICE_COUNT 1014
#define IDC_LAST_COUNT 1015
#define IDC_LAST_BYTE1 1016
#define IDC_LAST_BYTE2 1017
#define IDC_LAST_BYTE3 1018
#define IDC_LAST_BYTE4 1019
#define IDC_LAST_BYTE5 1020
#define IDC_LAST_BYTE6 1021
#define IDC_RUN_DIAGNOSTICS 1022
#define IDC_CREATE_DISK 1028
#define IDC_REV_C_INPUTS 1029
/* Shown only by the training build: "Training: simulated adapters (bench file ...)". */
#define IDC_TRAINING_MARK 1040
/* The production ledger's counters of the current range and of today. */
#define IDC_LEDGER_COUNTERS 1041

/* The descriptor boxes: the same IDs in the main dialog and in "Rev C Inputs". */
#define IDC_MANUFACTURER 1023
#define IDC_VID 1024
#define IDC_PRODUCT 1025
#define IDC_PID 1026
#define IDC_LANGUAGE_ID 1027

/* "Ethernet Addresses". */
#define IDD_ADDRESS_LIST 131
#define IDC_ADDRESS_LIST 1013

/* "Rev C Inputs". */
#define IDD_REV_C_INPUTS 133

/* String table. */
#define IDS_PROGRAMMING 1
#define IDS_COUNT_MISMATCH 3
#define IDS_ADDRESS_CONFLICT 4
#define IDS_LOT_PROGRAMMED 5
#define IDS_EMPTY_ADDRESS 6
#define IDS_PRESS_EXIT 7
#define IDS_RANGE_COMPLETE 9
#define IDS_INVALID_RANGE 11
#define IDS_ENTER_INPUTS 12
#define IDS_CHECK_DEVICE 13
#define IDS_ADDRESS_READ_ERROR 14
#define IDS_WRONG_DRIVER 15
#define IDS_TESTER_NOT_FOUND 16
#define IDS_DIAGNOSIS 17
#define IDS_VENDOR_PART_FAILED 18
#define IDS_RECOMMENDED_SYSTEM 20
#define IDS_DESCRIPTOR_FAILED 23
#define IDS_CREATE_DISK_FIRST 24
#define IDS_OVERWRITE_DIRECTORY 25
#define IDS_CHECK_DRIVER_INSTALLED 26
#define IDS_READ_AFTER_INSTALL 27
/* The station refuses descriptor strings the adapter cannot carry (%s: the field's name). */
#define IDS_DESCRIPTOR_NOT_ASCII 30
/* The programming records could not be written (%s: the path of EpromData.ini; the first and
   last address of the lot before it in the two messages of a programmed lot). */
#define IDS_RANGE_NOT_RECORDED 31
#define IDS_LOT_NOT_RECORDED 32
#define IDS_END_NOT_RECORDED 33
/* The training build's mark in the main dialog (%s: the bench file). */
#define IDS_TRAINING_MARK 40
/* The production ledger (AddressLedger.csv): %s are the ledger's path and the system's
   error text (or the reason it is damaged), the number and the first and last address of
   the devices concerned, and the guard's count, address, time and station. */
#define IDS_LEDGER_DAMAGED 50
#define IDS_LEDGER_NOT_WRITTEN 51
#define IDS_LEDGER_INTERRUPTED 52
#define IDS_LEDGER_GUARD 53
#define IDS_LEDGER_COUNT_FAILED 54
#define IDS_LEDGER_SHIP_NOT_WRITTEN 55
#define IDS_LEDGER_COUNTERS 56
#define IDS_LEDGER_COUNTERS_NO_RANGE 57
#define IDS_LEDGER_COUNTERS_UNREADABLE 58
/* The ledger on a server that the stations of a line share ([LEDGER] Connection): %s are the
   server as the station names it and the server's diagnostic, and for IDS_LEDGER_NOT_SHIPPED
   the first and last address of the lot first. */
#define IDS_LEDGER_UNREACHABLE 60
#define IDS_LEDGER_NO_ROOM 61
#define IDS_LEDGER_RANGE_SHIPPED 62
#define IDS_LEDGER_NAME_IN_USE 63
#define IDS_LEDGER_NOT_SHIPPED 64
#define IDS_LEDGER_PLACED_SHIPPED 65
#define IDS_LEDGER_LOCAL_NOT_RECORDED 66
