// The framework's own identifiers: its commands, strings, control bars and preview buttons, with
// their fixed numbers. Programs built on the framework include this from their resource header.
#pragma once

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
