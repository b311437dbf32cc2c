#include "CmdTarget.h"

#include <commctrl.h>

BOOL CCmdTarget::OnCmdMsg(UINT, CmdCode, CCmdUI*) {
    return FALSE;
}

void CCmdUI::Enable(BOOL bOn) {
    m_bEnabled = bOn ? TRUE : FALSE;
    m_bEnableChanged = TRUE;
    if (m_pMenu != nullptr)
        EnableMenuItem(m_pMenu, m_nIndex, MF_BYPOSITION | (bOn ? MF_ENABLED : (MF_DISABLED | MF_GRAYED)));
    if (m_pOther != nullptr) SendMessageA(m_pOther, TB_ENABLEBUTTON, m_nID, MAKELONG(bOn ? TRUE : FALSE, 0));
}

void CCmdUI::SetCheck(int nCheck) {
    m_nCheck = nCheck;
    m_bCheckChanged = TRUE;
    if (m_pMenu != nullptr)
        CheckMenuItem(m_pMenu, m_nIndex, MF_BYPOSITION | (nCheck ? MF_CHECKED : MF_UNCHECKED));
    if (m_pOther != nullptr)
        SendMessageA(m_pOther, TB_CHECKBUTTON, m_nID, MAKELONG(nCheck ? TRUE : FALSE, 0));
}

void CCmdUI::DoUpdate(CCmdTarget* pTarget) {
    m_bEnableChanged = FALSE;
    if (pTarget->OnCmdMsg(m_nID, CmdCode::Update, this) && m_bEnableChanged) return;
    Enable(pTarget->OnCmdMsg(m_nID, CmdCode::Probe, nullptr));
}
