// CDialog: a modal dialog from a dialog template, with data exchange between members and
// controls (DDX_Text, DDX_Check), command routing of its buttons and control access by id.
#pragma once

#include <map>
#include <memory>

#include "WinWnd.h"

class CDialog;

// The direction of one data exchange: into the controls (initialisation) or out of them (OK).
class CDataExchange {
public:
    CDataExchange(CDialog* pDlgWnd, BOOL bSaveAndValidate)
        : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}
    BOOL m_bSaveAndValidate; // TRUE: controls to members
    CDialog* m_pDlgWnd;
};

// An edit control's text and a member string.
void DDX_Text(CDataExchange* pDX, int nIDC, CString& value);
// A check box's state and a member: 0 unchecked, 1 checked (2 indeterminate).
void DDX_Check(CDataExchange* pDX, int nIDC, int& value);

class CDialog : public CWinWnd {
public:
    // pParent null: the main window owns the dialog.
    explicit CDialog(UINT nIDTemplate, CWinWnd* pParent = nullptr);
    ~CDialog() override;

    // Runs the dialog modally: IDOK or IDCANCEL (-1 when it could not be made).
    virtual INT_PTR DoModal();
    void EndDialog(int nResult);

    // Exchanges data: TRUE controls to members, FALSE members to controls.
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

    // The control of id nID (an object the dialog keeps until it closes), or null.
    CWinWnd* GetDlgItem(int nID);
    CString GetDlgItemText(int nID) const;
    void SetDlgItemText(int nID, const CString& text);
    UINT IsDlgButtonChecked(int nID) const;
    void CheckDlgButton(int nID, UINT nCheck);
    // Moves the focus to control nID.

    UINT m_nIDTemplate;
    const char* m_pszHelpTopic = nullptr; // the topic F1 opens; null: the help's contents

protected:
    // Filled members to controls before the dialog shows; TRUE lets the system set the focus.
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(CDataExchange*) {}
    // IDOK: read the controls back, then close with IDOK. IDCANCEL: close with IDCANCEL.
    virtual void OnOK();
    virtual void OnCancel();
    // A control's notification (other than a button click, which goes to OnCmdMsg); TRUE when handled.
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    // Messages the dialog handles itself; FALSE lets the dialog manager handle them.
    virtual INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static INT_PTR CALLBACK StaticDialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    void CenterOnOwner(HWND hOwner);

    CWinWnd* m_pParentWnd;
    std::map<int, std::unique_ptr<CWinWnd>> m_controls;
};
