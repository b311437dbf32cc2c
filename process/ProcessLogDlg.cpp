#include "ProcessLogDlg.h"

#include "resources/resource.h"

CProcessLogDlg::CProcessLogDlg(CWinWnd* pParent) : CDialog(IDD_PROCESS_LOG, pParent) {
    m_pszHelpTopic = "log.htm";
}

CProcessLogDlg::~CProcessLogDlg() = default;

void CProcessLogDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_PROCESS_LOG, m_strLog);
}
