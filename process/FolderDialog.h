// CFolderDialog: the output folder picker. The platform's open-file dialog with its name box
// hidden and always holding a dummy name, so that "Select" accepts whatever folder it shows.
#pragma once

#include "framework/FileDialog.h"

class CFolderDialog : public CFileDialog {
public:
    explicit CFolderDialog(CWinWnd* pParentWnd = nullptr);
    ~CFolderDialog() override;

    // Sets the dialog's title; the text is not copied and must outlive the dialog.
    void SetTitle(const char* title) { m_ofn.lpstrTitle = title; }

    CString m_strFolder; // the chosen folder; set only when the user accepts the dialog

protected:
    BOOL OnFileNameOK() override;
    void OnInitDone() override;
    void OnFileNameChange() override;
    void OnFolderChange() override;
    BOOL OnHookMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // Helpers
    // Puts the dummy name into the name box (both of its forms).
    void ResetFileName();
};
