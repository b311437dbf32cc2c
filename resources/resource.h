// Every resource and command id of Brevix, in one place. The framework's standard ids keep
// their fixed numbers; the program's own ids follow them.
#pragma once

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

// The framework's strings.
#define AFX_IDS_APP_TITLE 57344     // "Brevix": application name
#define AFX_IDS_IDLEMESSAGE 57345   // "Ready"

// The framework's commands.
#define ID_FILE_NEW 57600           // the "Close" item: empties the one document
#define ID_FILE_OPEN 57601
#define ID_FILE_PRINT_SETUP 57606
#define ID_FILE_PRINT 57607
#define ID_FILE_PRINT_DIRECT 57608  // print without a dialog (command line /p, /pt)
#define ID_FILE_PRINT_PREVIEW 57609
#define ID_FILE_MRU_FILE1 57616     // recent files: 57616 to 57631
#define ID_FILE_MRU_LAST 57631
#define ID_EDIT_COPY 57634
#define ID_APP_ABOUT 57664
#define ID_APP_EXIT 57665
#define ID_HELP 57670

// Control bars and their View menu toggles.
#define ID_VIEW_TOOLBAR 59392
#define ID_VIEW_STATUS_BAR 59393
#define AFX_IDW_TOOLBAR 59392
#define AFX_IDW_STATUS_BAR 59393
#define AFX_IDW_PANE_FIRST 59648    // the view inside the frame

// Status bar indicators.
#define ID_SEPARATOR 0
#define ID_INDICATOR_CAPS 59137
#define ID_INDICATOR_NUM 59138
#define ID_INDICATOR_SCRL 59139

// Print preview bar.
#define AFX_ID_PREVIEW_CLOSE 58112
#define AFX_ID_PREVIEW_NEXT 58113
#define AFX_ID_PREVIEW_PREV 58114
#define AFX_ID_PREVIEW_PRINT 58115
#define AFX_ID_PREVIEW_NUMPAGE 58118
