// CSettingsDlg: the Settings dialog, template 132: every option of the settings record but the
// two key texts. Check boxes enable the controls that depend on them; three Clear buttons empty
// the free-text fields. The Settings command copies the record in and writes changes back.
#pragma once

#include "framework/Dialog.h"

class CSettingsDlg : public CDialog {
public:
    explicit CSettingsDlg(CWinWnd* pParent = nullptr);
    ~CSettingsDlg() override;

    BOOL OnCmdMsg(UINT nID, CmdCode code, CCmdUI* pCmdUI) override;

    // The options, named as in the settings record.
    CString m_strExt;
    CString m_strPreamble;
    CString m_strPrefix;
    CString m_strPostamble;
    BOOL m_bEmitPreamble = 0;
    BOOL m_bUseLine1 = 0;
    BOOL m_bEmitPrefix = 0;
    BOOL m_bUseSource = 0;
    BOOL m_bEmitPostamble = 0;
    BOOL m_bOverwrite = 0;
    BOOL m_bSubfolders = 0;
    BOOL m_bAppendTagname = 0;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

private:
    // Command handlers: the enabling rules and the Clear buttons.
    void OnEmitPrefix();
    void OnUseSource();
    void OnEmitPreamble();
    void OnUseLine1();
    void OnEmitPostamble();
    void OnClearPrefix();
    void OnClearPreamble();
    void OnClearPostamble();

    // Helpers
    void EnableControl(int nID, BOOL bEnable);
};
