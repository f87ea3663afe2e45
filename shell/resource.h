// Numbers of the program's resources and commands, shared by the code and the resource script.
// Plain #defines only: the resource compiler reads this file too.
#pragma once

#define IDS_APP_TITLE 103
#define IDS_WINDOW_CLASS 109

#define IDR_MAIN_MENU 109
#define IDR_ACCELERATORS 109
#define IDD_ABOUTBOX 103
#define IDI_QUORVALEN 107
#define IDI_SMALL 108
#define IDC_ABOUT_ICON 2
#define IDC_STATIC (-1)

#define CMD_OPEN 32771
#define CMD_CLEAR 32772
#define CMD_SAVE_SETTINGS 32773
#define CMD_FILE_FORMAT 32774
#define CMD_SAVECLIP 32775
#define CMD_ABOUT 104
#define CMD_EXIT 105
