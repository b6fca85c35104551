#ifndef MIRELO_RESOURCE_H
#define MIRELO_RESOURCE_H

/* Icons */
#define IDI_PROGRAM 129
#define IDI_ABOUT 135
#define IDI_TRAY 197
#define IDI_TRAY_BLINK 198

/* Dialogs and their controls */
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
#define IDD_ABOUT 100
#define IDC_ABOUT_VERSION 1024
#define IDD_RECEIVED_LIST 209
#define IDC_RECEIVED_LIST 1023
#define IDD_ALERT 213
#define IDC_ALERT_CLOSE_ALL 1027
#define IDD_HISTORY 220
#define IDC_HISTORY_SEARCH_LABEL 1040
#define IDC_HISTORY_SEARCH 1041
#define IDC_HISTORY_LIST 1042

/* Bitmaps */
#define IDB_LIST_ROWS 210
#define IDB_ALERT_VIEW 152
#define IDB_ALERT_BACKGROUND 214
#define IDB_ALERT_CLOSE 215
#define IDB_ALERT_CLOSE_ALL 217

/* Menus */
#define IDR_TRAY_MENU 129

/* Commands */
#define ID_APP_ABOUT 57664
#define ID_APP_EXIT 57665

#endif
