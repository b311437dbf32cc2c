#include "SettingsDlg.h"

#include "resources/resource.h"

CSettingsDlg::CSettingsDlg(CWinWnd* pParent) : CDialog(IDD_SETTINGS, pParent) {
    m_pszHelpTopic = "settings.htm";
}

CSettingsDlg::~CSettingsDlg() = default;

BOOL CSettingsDlg::OnCmdMsg(UINT nID, CmdCode code, CCmdUI* pCmdUI) {
    static const CmdMapEntry<CSettingsDlg> map[] = {
        OnCommandEntry<CSettingsDlg>(IDC_EMIT_PREFIX, &CSettingsDlg::OnEmitPrefix),
        OnCommandEntry<CSettingsDlg>(IDC_USE_SOURCE, &CSettingsDlg::OnUseSource),
        OnCommandEntry<CSettingsDlg>(IDC_EMIT_PREAMBLE, &CSettingsDlg::OnEmitPreamble),
        OnCommandEntry<CSettingsDlg>(IDC_USE_LINE1, &CSettingsDlg::OnUseLine1),
        OnCommandEntry<CSettingsDlg>(IDC_EMIT_POSTAMBLE, &CSettingsDlg::OnEmitPostamble),
        OnCommandEntry<CSettingsDlg>(IDC_CLEAR_PREFIX, &CSettingsDlg::OnClearPrefix),
        OnCommandEntry<CSettingsDlg>(IDC_CLEAR_PREAMBLE, &CSettingsDlg::OnClearPreamble),
        OnCommandEntry<CSettingsDlg>(IDC_CLEAR_POSTAMBLE, &CSettingsDlg::OnClearPostamble),
    };
    return DispatchCmdMap(this, map, nID, code, pCmdUI) || CDialog::OnCmdMsg(nID, code, pCmdUI);
}

void CSettingsDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_EXT, m_strExt);
    DDX_Text(pDX, IDC_PREAMBLE, m_strPreamble);
    DDX_Check(pDX, IDC_EMIT_PREAMBLE, m_bEmitPreamble);
    DDX_Check(pDX, IDC_USE_LINE1, m_bUseLine1);
    DDX_Check(pDX, IDC_EMIT_PREFIX, m_bEmitPrefix);
    DDX_Text(pDX, IDC_PREFIX, m_strPrefix);
    DDX_Check(pDX, IDC_USE_SOURCE, m_bUseSource);
    DDX_Check(pDX, IDC_EMIT_POSTAMBLE, m_bEmitPostamble);
    DDX_Text(pDX, IDC_POSTAMBLE, m_strPostamble);
    DDX_Check(pDX, IDC_OVERWRITE, m_bOverwrite);
    DDX_Check(pDX, IDC_SUBFOLDERS, m_bSubfolders);
    DDX_Check(pDX, IDC_APPEND_TAGNAME, m_bAppendTagname);
}

// The controls are filled first, then each group's rule is applied to their states.
BOOL CSettingsDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    OnEmitPrefix();
    OnEmitPreamble();
    OnEmitPostamble();
    return TRUE;
}

// Prefix group rule: without a prefix nothing of it is editable. With one, the Clear button
// stays enabled even while the source-name rule greys out the prefix text.
void CSettingsDlg::OnEmitPrefix() {
    if (!IsDlgButtonChecked(IDC_EMIT_PREFIX)) {
        EnableControl(IDC_PREFIX_LABEL, FALSE);
        EnableControl(IDC_USE_SOURCE, FALSE);
        EnableControl(IDC_PREFIX, FALSE);
        EnableControl(IDC_CLEAR_PREFIX, FALSE);
        EnableControl(IDC_APPEND_TAGNAME, FALSE);
        return;
    }
    EnableControl(IDC_USE_SOURCE, TRUE);
    OnUseSource();
    EnableControl(IDC_CLEAR_PREFIX, TRUE);
    EnableControl(IDC_APPEND_TAGNAME, TRUE);
}

// Source-name rule: the literal prefix is editable only while the source's name is not used.
void CSettingsDlg::OnUseSource() {
    BOOL bLiteral = !IsDlgButtonChecked(IDC_USE_SOURCE);
    EnableControl(IDC_PREFIX_LABEL, bLiteral);
    EnableControl(IDC_PREFIX, bLiteral);
    EnableControl(IDC_CLEAR_PREFIX, bLiteral);
}

// Preamble group rule.
void CSettingsDlg::OnEmitPreamble() {
    if (!IsDlgButtonChecked(IDC_EMIT_PREAMBLE)) {
        EnableControl(IDC_USE_LINE1, FALSE);
        EnableControl(IDC_PREAMBLE, FALSE);
        EnableControl(IDC_CLEAR_PREAMBLE, FALSE);
        return;
    }
    EnableControl(IDC_USE_LINE1, TRUE);
    OnUseLine1();
}

// Line-1 rule: the literal preamble is editable only while line 1 is not used.
void CSettingsDlg::OnUseLine1() {
    BOOL bLiteral = !IsDlgButtonChecked(IDC_USE_LINE1);
    EnableControl(IDC_PREAMBLE, bLiteral);
    EnableControl(IDC_CLEAR_PREAMBLE, bLiteral);
}

// Postamble group rule.
void CSettingsDlg::OnEmitPostamble() {
    BOOL bEmit = IsDlgButtonChecked(IDC_EMIT_POSTAMBLE) ? TRUE : FALSE;
    EnableControl(IDC_POSTAMBLE, bEmit);
    EnableControl(IDC_CLEAR_POSTAMBLE, bEmit);
}

void CSettingsDlg::OnClearPrefix() {
    SetDlgItemText(IDC_PREFIX, CString());
}

void CSettingsDlg::OnClearPreamble() {
    SetDlgItemText(IDC_PREAMBLE, CString());
}

void CSettingsDlg::OnClearPostamble() {
    SetDlgItemText(IDC_POSTAMBLE, CString());
}

void CSettingsDlg::EnableControl(int nID, BOOL bEnable) {
    if (CWinWnd* pControl = GetDlgItem(nID)) pControl->EnableWindow(bEnable);
}
