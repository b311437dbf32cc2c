// Every resource and command id of Brevix, in one place: the framework's standard ids with their
// fixed numbers (from the framework's own header), then the program's own.
#pragma once

#include "framework/FrameworkIds.h"

#define IDC_STATIC (-1)

// Resources of the document template: menu, accelerators, toolbar, icon, document string.
#define IDR_MAINFRAME 128
#define IDI_DOCUMENT 129            // the document icon, second icon of the program

// Dialog templates.
#define IDD_ABOUTBOX 100
#define IDD_SETTINGS 132
#define IDD_PROCESS_LOG 133

// Controls of the Settings dialog.
#define IDC_PREAMBLE 1001
#define IDC_EMIT_PREAMBLE 1002
#define IDC_EXT 1003
#define IDC_PREAMBLE_GROUP 1004
#define IDC_EMIT_PREFIX 1005
#define IDC_USE_LINE1 1006
#define IDC_USE_SOURCE 1007
#define IDC_PREFIX 1008
#define IDC_PREFIX_LABEL 1009
#define IDC_EMIT_POSTAMBLE 1010
#define IDC_OVERWRITE 1011
#define IDC_POSTAMBLE 1012
#define IDC_POSTAMBLE_GROUP 1013
#define IDC_SUBFOLDERS 1014
#define IDC_APPEND_TAGNAME 1015
#define IDC_CLEAR_PREFIX 1016
#define IDC_CLEAR_PREAMBLE 1017
#define IDC_CLEAR_POSTAMBLE 1018

// Controls of the Process Log dialog.
#define IDC_PROCESS_LOG 1005

// Windows on the chunk toolbar (their objects live in the settings record).
#define IDC_LEVEL_EDIT 101
#define IDC_LEVEL_LABEL 102
#define IDC_NAME_LABEL 103
#define IDC_NAME_EDIT 104

// The program's own commands.
#define ID_FILE_PROCESS 32771
#define ID_SETTINGS 32772
