// Resource and control identifiers shared by the resource script and the code.
#pragma once

#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_MAIN 102
#define IDI_APP 128
#define IDD_CONTROL 129
#define IDD_SETTINGS 131
#define IDD_MONITOR 140

// Texts the code shows, in each language's string table
#define IDS_ON 200
#define IDS_OFF 201
#define IDS_HOTKEY_NOT_REGISTERED 202
#define IDS_HOTKEY_DUPLICATE 203
#define IDS_HOTKEY_TAKEN_ON_OK 204
#define IDS_HOTKEY_CURRENT 205
#define IDS_HOTKEY_FREE 206
#define IDS_HOTKEY_TAKEN 207
#define IDS_ALREADY_RUNNING 208
#define IDS_ALREADY_RUNNING_CAPTION 209

#define IDC_LINK 1000
#define IDC_ONOFF 1004
#define IDC_SETTINGS 1025

// Settings dialog (template 131)
#define IDC_DRAW_BOTH 1006
#define IDC_DRAW_POINTS 1007
#define IDC_DRAW_LINES 1008
#define IDC_LINE_RED 1009
#define IDC_LINE_GREEN 1010
#define IDC_LINE_BLUE 1011
#define IDC_LINE_YELLOW 1012
#define IDC_LINE_BLACK 1013
#define IDC_LINE_2PT 1014
#define IDC_LINE_5PT 1015
#define IDC_LINE_10PT 1016
#define IDC_POINT_RED 1017
#define IDC_POINT_GREEN 1018
#define IDC_POINT_BLUE 1019
#define IDC_POINT_YELLOW 1020
#define IDC_POINT_BLACK 1021
#define IDC_POINT_2PT 1022
#define IDC_POINT_5PT 1023
#define IDC_OPACITY 1024
#define IDC_POINT_10PT 1025
#define IDC_CURVE 1026
#define IDC_STRAIGHT 1027
#define IDC_HOTKEY 1028
#define IDC_DUPLICATE_CHECK 1029
#define IDC_HOTKEY_ENABLED 1030
#define IDC_TAPERED 1031
#define IDC_FADE 1032

// About box (template 100)
#define IDC_VERSION_LINE 1020
#define IDM_ABOUTBOX 0x0010
