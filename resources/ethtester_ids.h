// ethtester_ids.h: resource IDs of EthTester (dialogs, controls, strings, icon), shared by
// resources/ethtester.rc and the program's logic.
#pragma once

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

#define IDI_ETHTESTER 128
#define IDD_ETHTESTER_MAIN 102
#define IDD_EEPROM_DETAILS 103

// Main dialog controls.
#define IDC_QUICK_LOOPBACK 1000
#define IDC_LONG_LOOPBACK 1001
#define IDC_REGISTER_TEST 1002
#define IDC_EXTERNAL_LOOPBACK 1003
#define IDC_PACKET_COUNT 1004
#define IDC_PACKET_SIZE 1005
#define IDC_ENABLE_LOGGING 1006
#define IDC_START 1007
#define IDC_EXIT 1008
#define IDC_STATUS 1009
#define IDC_SHOW_EEPROM 1010

// EEPROM details dialog.
#define IDC_EEPROM_LIST 1012

// Both dialogs: shown only by the training build.
#define IDC_TRAINING_MARK 1040

// Strings 1-99: progress and verdicts.
#define IDS_START_OF_PROGRESS_MESSAGES 1
#define IDS_REGISTER_IN_PROGRESS 2
#define IDS_QUICK_IN_PROGRESS 3
#define IDS_LONG_IN_PROGRESS 4
#define IDS_EXITING 5
#define IDS_ALL_PASSED 6
#define IDS_ONE_FAULTY 7
#define IDS_REGISTER_PASSED 8
#define IDS_REGISTER_FAILED 9
#define IDS_QUICK_PASSED 10
#define IDS_QUICK_FAILED 11
#define IDS_LONG_PASSED 12
#define IDS_LONG_FAILED 13
#define IDS_REGISTER_SELECTED 14
#define IDS_QUICK_SELECTED 15
#define IDS_LONG_SELECTED 16
#define IDS_EXTERNAL_SELECTED 17
#define IDS_EXTERNAL_IN_PROGRESS 18
#define IDS_EXTERNAL_PASSED 19
#define IDS_EXTERNAL_FAILED 20
#define IDS_ALL_PASSED_PROGRAM 21
#define IDS_PHY_NOT_AUTONEG 22
#define IDS_RECOMMENDED_SYSTEM 23
#define IDS_END_OF_PROGRESS_MESSAGES 99

// Strings 100-199: errors.
#define IDS_START_OF_ERROR_MESSAGES 100
#define IDS_ERR_NOT_CONNECTED 101
#define IDS_ERR_DRIVER_VERSION 102
#define IDS_ERR_DEVICE_COUNT 103
#define IDS_ERR_LOOPBACK_BIT 104
#define IDS_ERR_SEND_RECEIVE 105
#define IDS_ERR_DATA_COMPARE 106
#define IDS_ERR_PHY_RESET 107
#define IDS_ERR_READ_CONTROL 108
#define IDS_ERR_READ_STATUS 109
#define IDS_ERR_READ_ANA 110
#define IDS_ERR_READ_ANLPA 111
#define IDS_ERR_READ_ANE 112
#define IDS_END_OF_ERROR_MESSAGES 200

// Strings 201-299: names of failed system calls.
#define IDS_START_OF_API_NAMES 201
#define IDS_API_CREATEFILE 202
#define IDS_API_DEVICEIOCONTROL 203
#define IDS_API_BEGINTHREAD 204
#define IDS_END_OF_API_NAMES 300

// The training build's mark in both dialogs and in the log's header (%s: the bench file).
#define IDS_TRAINING_MARK 301
