// CFileDialog: the platform's Explorer-style open/save dialog with a hook, whose notifications
// (initialised, selection changed, folder changed, name accepted) become virtual calls. The
// object is bound to the hook's child dialog; the platform dialog is that window's parent.
// OK on a path longer than the platform can take is refused with a message before the
// platform sees it.
#pragma once

#include "WinWnd.h"

#include <commdlg.h>

class CFileDialog : public CWinWnd {
public:
    // lpszFilter: "name|pattern|...||", each "|" a separator. pParentWnd null: the main window.
    CFileDialog(BOOL bOpenFileDialog, const char* lpszDefExt = nullptr, const char* lpszFileName = nullptr,
                DWORD dwFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, const char* lpszFilter = nullptr,
                CWinWnd* pParentWnd = nullptr);
    ~CFileDialog() override;

    // Runs the dialog modally: IDOK when a name was accepted, IDCANCEL otherwise.
    virtual INT_PTR DoModal();

    // The accepted name with its path (after IDOK).
    CString GetPathName() const { return m_szFileName; }

    // Hides control nID of the platform dialog.
    void HideControl(int nID);
    // The folder the platform dialog shows; empty when it is no file-system folder (a shell
    // place such as My Computer, a path that names no existing folder, or one too long for
    // the platform to give whole).
    CString GetFolderPath() const;
    // The platform dialog: the parent of the hook window.
    HWND GetDialogHwnd() const { return m_hWnd != nullptr ? ::GetParent(m_hWnd) : nullptr; }

    // The platform's dialog structure; the strings it points to must outlive the dialog.
    OPENFILENAMEA m_ofn;
    const char* m_pszHelpTopic = nullptr; // the topic F1 opens; null: the dialog's own handling

protected:
    // The name in the name box is about to be accepted; TRUE keeps the dialog open.
    virtual BOOL OnFileNameOK() { return FALSE; }
    // The dialog is initialised: centres it on its owner.
    virtual void OnInitDone();
    // The selection in the list changed.
    virtual void OnFileNameChange() {}
    // The dialog shows another folder.
    virtual void OnFolderChange() {}
    // Other messages to the hook window; TRUE when handled.
    virtual BOOL OnHookMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static UINT_PTR CALLBACK HookProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK PlatformDialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam,
                                               UINT_PTR uIdSubclass, DWORD_PTR dwRefData);
    BOOL OnNotify(const OFNOTIFYA* pNotify);
    // Whether the path that OK makes of the folder shown and the name typed would not fit in
    // MAX_PATH characters.
    BOOL IsPathTooLong() const;

    BOOL m_bOpenFileDialog;
    CWinWnd* m_pParentWnd;
    CString m_strFilter; // the filter with its "|" turned into NULs
    CString m_strDefExt;
    char m_szFileName[MAX_PATH] = "";
};
