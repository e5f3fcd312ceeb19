/* login_ids.h: resource IDs of the operator login dialogs, shared by the station's and the editor's scripts and by common/login. */
#pragma once

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

/* The login dialog: resource 132 in the station, 131 in the editor. */
#define IDD_LOGIN_STATION 132
#define IDD_LOGIN_EDITOR 131
#define IDC_LOGIN_USER 1027
#define IDC_LOGIN_PASSWORD 1028
/* "Verify Password": 1011 in the station, 1024 in the editor. */
#define IDC_LOGIN_VERIFY_STATION 1011
#define IDC_LOGIN_VERIFY_EDITOR 1024
#define IDC_LOGIN_CHANGE 1025
#define IDC_LOGIN_EXIT 1026

/* The change-password dialog, 130 in both programs. */
#define IDD_CHANGE_PASSWORD 130
#define IDC_CHANGE_OLD 1018
#define IDC_CHANGE_NEW 1013
#define IDC_CHANGE_CONFIRM 1019
#define IDC_CHANGE_SAVE 1021
#define IDC_CHANGE_EXIT 1022

/* The editor's string-table IDs of the login messages (the station holds the texts inline). */
#define IDS_LOGIN_WRONG_USER 7
#define IDS_LOGIN_WRONG_PASSWORD 9
#define IDS_LOGIN_USER_BLANK 10
#define IDS_LOGIN_PASSWORD_BLANK 11
#define IDS_LOGIN_PASSWORD_SAVED 14
#define IDS_LOGIN_WRONG_OLD 15
#define IDS_LOGIN_TOO_SHORT 16
#define IDS_LOGIN_TOO_LONG 17
#define IDS_LOGIN_MISMATCH 18
