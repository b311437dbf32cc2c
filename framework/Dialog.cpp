#include "Dialog.h"

#include "FrameWnd.h"
#include "WinApp.h"

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value) {
    if (pDX->m_bSaveAndValidate)
        value = pDX->m_pDlgWnd->GetDlgItemText(nIDC);
    else
        pDX->m_pDlgWnd->SetDlgItemText(nIDC, value);
}

void DDX_Check(CDataExchange* pDX, int nIDC, int& value) {
    if (pDX->m_bSaveAndValidate)
        value = static_cast<int>(pDX->m_pDlgWnd->IsDlgButtonChecked(nIDC));
    else
        pDX->m_pDlgWnd->CheckDlgButton(nIDC, static_cast<UINT>(value));
}

CDialog::CDialog(UINT nIDTemplate, CWinWnd* pParent) : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParent) {}

CDialog::~CDialog() = default;

INT_PTR CDialog::DoModal() {
    HWND hOwner = AfxGetModalOwner(m_pParentWnd);
    INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(m_nIDTemplate), hOwner,
                                     StaticDialogProc, reinterpret_cast<LPARAM>(this));
    m_controls.clear();
    return result;
}

void CDialog::EndDialog(int nResult) {
    ::EndDialog(m_hWnd, nResult);
}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate) {
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    return TRUE;
}

CWinWnd* CDialog::GetDlgItem(int nID) {
    HWND hCtl = ::GetDlgItem(m_hWnd, nID);
    if (hCtl == nullptr) return nullptr;
    std::unique_ptr<CWinWnd>& control = m_controls[nID];
    if (!control) control = std::make_unique<CWinWnd>();
    control->m_hWnd = hCtl; // the control is the dialog's; the object only names it
    return control.get();
}

CString CDialog::GetDlgItemText(int nID) const {
    HWND hCtl = ::GetDlgItem(m_hWnd, nID);
    return hCtl != nullptr ? GetNativeWindowText(hCtl) : CString();
}

void CDialog::SetDlgItemText(int nID, const CString& text) {
    ::SetDlgItemTextA(m_hWnd, nID, text.c_str());
}

UINT CDialog::IsDlgButtonChecked(int nID) const {
    return ::IsDlgButtonChecked(m_hWnd, nID);
}

void CDialog::CheckDlgButton(int nID, UINT nCheck) {
    ::CheckDlgButton(m_hWnd, nID, nCheck);
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE)) return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

BOOL CDialog::OnCommand(WPARAM, LPARAM) {
    return FALSE;
}

void CDialog::CenterOnOwner(HWND hOwner) {
    CenterWindowOn(m_hWnd, hOwner);
}

INT_PTR CDialog::DialogProc(UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_HELP && m_pszHelpTopic != nullptr && AfxGetApp() != nullptr) {
        AfxGetApp()->ShowHelpTopic(m_pszHelpTopic);
        return TRUE;
    }
    if (message != WM_COMMAND) return FALSE;
    UINT nID = LOWORD(wParam);
    UINT nCode = HIWORD(wParam);
    if (nCode == BN_CLICKED && OnCmdMsg(nID, CmdCode::Run, nullptr)) return TRUE;
    if (nID == IDOK && nCode == BN_CLICKED) {
        OnOK();
        return TRUE;
    }
    if (nID == IDCANCEL && nCode == BN_CLICKED) {
        OnCancel();
        return TRUE;
    }
    return FALSE;
}

INT_PTR CALLBACK CDialog::StaticDialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CDialog* pDlg = nullptr;
    if (message == WM_INITDIALOG) {
        pDlg = reinterpret_cast<CDialog*>(lParam);
        SetWindowLongPtrA(hWnd, DWLP_USER, lParam);
        pDlg->Attach(hWnd);
    } else {
        pDlg = reinterpret_cast<CDialog*>(GetWindowLongPtrA(hWnd, DWLP_USER));
    }
    if (pDlg == nullptr) return FALSE;
    INT_PTR result = FALSE;
    try {
        if (message == WM_INITDIALOG) {
            if (GetWindowLongA(hWnd, GWL_STYLE) & DS_CENTER) {
                // centred by the system
            } else {
                pDlg->CenterOnOwner(GetWindow(hWnd, GW_OWNER));
            }
            result = pDlg->OnInitDialog();
        } else if (message == WM_COMMAND && HIWORD(wParam) != BN_CLICKED && pDlg->OnCommand(wParam, lParam)) {
            result = TRUE;
        } else {
            result = pDlg->DialogProc(message, wParam, lParam);
        }
    } catch (...) {
        AfxReportException(kCommandFailed);
        result = TRUE;
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(hWnd, DWLP_USER, 0);
        pDlg->m_hWnd = nullptr;
    }
    return result;
}
