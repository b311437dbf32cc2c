#include "FolderDialog.h"

namespace {
const char kPlacebo[] = "_placebo_";
const char kFilter[] = "Show Folders Only|.|All Files (*.*)|*.*||";

// Controls of the platform's Explorer-style open-file dialog.
const int kFileNameLabel = 1090; // stc3
const int kFileNameEdit = 1152;  // edt1: the name box of the old layout
const int kFileNameCombo = 1148; // cmb13: the name box of current dialogs
const int kLookInLabel = 1091;   // stc4: label of the folder drop-down list

// Posted after a folder change: the dialog may empty the name box once it has moved.
const UINT kResetFileName = WM_APP + 1;
} // namespace

CFolderDialog::CFolderDialog(CWinWnd* pParentWnd)
    : CFileDialog(TRUE, nullptr, kPlacebo, OFN_HIDEREADONLY, kFilter, pParentWnd) {
    m_pszHelpTopic = "process.htm";
}

CFolderDialog::~CFolderDialog() = default;

BOOL CFolderDialog::OnFileNameOK() {
    m_strFolder = GetFolderPath();
    return FALSE;
}

void CFolderDialog::OnInitDone() {
    HWND hDlg = GetDialogHwnd();
    HideControl(kFileNameLabel);
    HideControl(kFileNameEdit);
    HideControl(kFileNameCombo);
    SetDlgItemTextA(hDlg, kLookInLabel, "Output:");
    SetDlgItemTextA(hDlg, IDOK, "Select");
    SetFocus(GetDlgItem(hDlg, IDOK));
    CFileDialog::OnInitDone();
}

void CFolderDialog::OnFileNameChange() {
    ResetFileName();
}

void CFolderDialog::OnFolderChange() {
    OnFileNameChange();
    PostMessage(kResetFileName);
}

BOOL CFolderDialog::OnHookMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != kResetFileName) return CFileDialog::OnHookMessage(message, wParam, lParam);
    ResetFileName();
    return TRUE;
}

void CFolderDialog::ResetFileName() {
    HWND hDlg = GetDialogHwnd();
    SetDlgItemTextA(hDlg, kFileNameEdit, kPlacebo);
    SetDlgItemTextA(hDlg, kFileNameCombo, kPlacebo);
}
