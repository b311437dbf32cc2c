// CSettingsDlg: the Settings dialog, template 132: every option of the settings record but the
// two key texts. Check boxes enable the controls that depend on them; three Clear buttons empty
// the free-text fields. The options, named as in the settings record, start empty and false;
// the Settings command copies the record in and writes changes back.
#pragma once

#include "engine/ChunkOptions.h"
#include "framework/Dialog.h"

class CSettingsDlg : public CDialog, public ChunkOptions {
public:
    explicit CSettingsDlg(CWinWnd* pParent = nullptr);
    ~CSettingsDlg() override;

    BOOL OnCmdMsg(UINT nID, CmdCode code, CCmdUI* pCmdUI) override;

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
