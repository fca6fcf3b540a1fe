// Resource and control identifiers shared by the resource script and the code.
#pragma once

#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_MAIN 102
#define IDI_APP 128
#define IDD_CONTROL 129
#define IDD_SETTINGS 131
#define IDD_MONITOR 140

#define IDC_LINK 1000
#define IDC_ONOFF 1004
#define IDC_SETTINGS 1025
