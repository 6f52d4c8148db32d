// Identifiers shared by the resource script and the program. The numbers of
// the wizard's controls are those of its layout; they mean nothing more.
#pragma once

#define IDI_FORGELINE 1
#define IDD_WIZARD 100
#define IDD_ABOUT 101

// System-menu command of the About entry; Windows keeps the low four bits of
// a system command for itself.
#define IDM_ABOUTBOX 0x0010

// MCU buttons are 1000-1023 and 1050-1075, module boxes 1024-1047 and
// 1076-1101, TWRPI boxes 1102-1126 (see ControlIds.h for the mapping).
#define IDC_MCU_BUTTON_FIRST 1000
#define IDC_MODULE_BOX_FIRST 1024
#define IDC_PROJECT_NAME 1048
#define IDC_BUILD 1049
#define IDC_TWRPI_BOX_FIRST 1102
#define IDC_MCU_GROUP 1127
#define IDC_ABOUT_TEXT 1200
#define IDC_ABOUT_ICON 1201
