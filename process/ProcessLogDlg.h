// CProcessLogDlg: the Process Log dialog, template 133: the log of one run in a read-only
// edit box and a "Close" button. Escape closes it too.
#pragma once

#include "framework/Dialog.h"

class CProcessLogDlg : public CDialog {
public:
    explicit CProcessLogDlg(CWinWnd* pParent = nullptr);
    ~CProcessLogDlg() override;

    CString m_strLog; // the log text, lines ended by CR LF; shown unchanged

protected:
    void DoDataExchange(CDataExchange* pDX) override;
};
