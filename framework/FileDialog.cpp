#include "FileDialog.h"

#include <commctrl.h>
#include <dlgs.h>

#include <algorithm>
#include <cstring>

#include "FrameWnd.h"
#include "WinApp.h"

CFileDialog::CFileDialog(BOOL bOpenFileDialog, const char* lpszDefExt, const char* lpszFileName,
                         DWORD dwFlags, const char* lpszFilter, CWinWnd* pParentWnd)
    : m_ofn(), m_bOpenFileDialog(bOpenFileDialog), m_pParentWnd(pParentWnd) {
    m_ofn.lStructSize = sizeof m_ofn;
    m_ofn.Flags = dwFlags | OFN_EXPLORER | OFN_ENABLEHOOK;
    m_ofn.lpfnHook = HookProc;
    m_ofn.lCustData = reinterpret_cast<LPARAM>(this);
    m_ofn.lpstrFile = m_szFileName;
    m_ofn.nMaxFile = sizeof m_szFileName;
    if (lpszFileName != nullptr) lstrcpynA(m_szFileName, lpszFileName, sizeof m_szFileName);
    if (lpszDefExt != nullptr) {
        m_strDefExt = lpszDefExt;
        m_ofn.lpstrDefExt = m_strDefExt.c_str();
    }
    if (lpszFilter != nullptr) {
        m_strFilter = lpszFilter;
        for (char& ch : m_strFilter)
            if (ch == '|') ch = '\0';
        m_ofn.lpstrFilter = m_strFilter.c_str();
    }
}

CFileDialog::~CFileDialog() = default;

INT_PTR CFileDialog::DoModal() {
    HWND hOwner = AfxGetModalOwner(m_pParentWnd);
    m_ofn.hwndOwner = hOwner;
    m_ofn.hInstance = GetModuleHandleA(nullptr);
    BOOL bResult = m_bOpenFileDialog ? GetOpenFileNameA(&m_ofn) : GetSaveFileNameA(&m_ofn);
    m_hWnd = nullptr;
    return bResult ? IDOK : IDCANCEL;
}

void CFileDialog::HideControl(int nID) {
    ::SendMessageA(GetDialogHwnd(), CDM_HIDECONTROL, static_cast<WPARAM>(nID), 0);
}

CString CFileDialog::GetFolderPath() const {
    char path[MAX_PATH] = "";
    LRESULT length =
        ::SendMessageA(GetDialogHwnd(), CDM_GETFOLDERPATH, sizeof path, reinterpret_cast<LPARAM>(path));
    // A path that fills the buffer may have been cut short to fit it: it is no path.
    if (length <= 0 || length >= static_cast<LRESULT>(sizeof path)) return CString();
    // A shell place without a path comes as "::{clsid}"; it and anything that is no folder on
    // disk has no file-system path.
    if (std::strncmp(path, "::", 2) == 0) return CString();
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return CString();
    return path;
}

BOOL CFileDialog::IsPathTooLong() const {
    HWND hDlg = GetDialogHwnd();
    // The name box of current dialogs, or of the old layout.
    HWND hName = GetDlgItem(hDlg, cmb13);
    if (hName == nullptr) hName = GetDlgItem(hDlg, edt1);
    if (hName == nullptr) return FALSE;
    char start[3] = "";
    ::SendMessageA(hName, WM_GETTEXT, sizeof start, reinterpret_cast<LPARAM>(start));
    LRESULT length = ::SendMessageA(hName, WM_GETTEXTLENGTH, 0, 0);
    if (length <= 0) return FALSE; // nothing to join: OK only browses
    // A full path ("C:..." or "\\server...") stands alone; one from the root gets the drive
    // before it; any other name is joined to the folder with a backslash.
    const bool bFull = start[1] == ':' || (start[0] == '\\' && start[1] == '\\');
    if (!bFull && (start[0] == '\\' || start[0] == '/'))
        length += 2;
    else if (!bFull)
        length += std::max<LRESULT>(::SendMessageA(hDlg, CDM_GETFOLDERPATH, 0, 0), 1); // with its NUL
    return length >= MAX_PATH;
}

void CFileDialog::OnInitDone() {
    HWND hDlg = GetDialogHwnd();
    CenterWindowOn(hDlg, GetWindow(hDlg, GW_OWNER));
}

BOOL CFileDialog::OnHookMessage(UINT, WPARAM, LPARAM) {
    return FALSE;
}

BOOL CFileDialog::OnNotify(const OFNOTIFYA* pNotify) {
    switch (pNotify->hdr.code) {
    case CDN_INITDONE: OnInitDone(); return TRUE;
    case CDN_SELCHANGE: OnFileNameChange(); return TRUE;
    case CDN_FOLDERCHANGE: OnFolderChange(); return TRUE;
    case CDN_FILEOK:
        // A non-zero result keeps the dialog open.
        SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, OnFileNameOK() ? 1 : 0);
        return TRUE;
    default: return FALSE;
    }
}

// The hook procedure of the hook window: binds it to the object at WM_INITDIALOG and turns the
// dialog's notifications into virtual calls. Nothing may escape into the platform's code.
UINT_PTR CALLBACK CFileDialog::HookProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CFileDialog* pDlg = nullptr;
    if (message == WM_INITDIALOG) {
        auto* ofn = reinterpret_cast<OPENFILENAMEA*>(lParam);
        pDlg = reinterpret_cast<CFileDialog*>(ofn->lCustData);
        SetWindowLongPtrA(hWnd, DWLP_USER, ofn->lCustData);
        pDlg->m_hWnd = hWnd;
        SetWindowSubclass(::GetParent(hWnd), PlatformDialogProc, 0, reinterpret_cast<DWORD_PTR>(pDlg));
        return TRUE;
    }
    pDlg = reinterpret_cast<CFileDialog*>(GetWindowLongPtrA(hWnd, DWLP_USER));
    if (pDlg == nullptr) return FALSE;
    UINT_PTR result = FALSE;
    try {
        if (message == WM_NOTIFY)
            result = pDlg->OnNotify(reinterpret_cast<const OFNOTIFYA*>(lParam));
        else
            result = pDlg->OnHookMessage(message, wParam, lParam);
    } catch (...) {
        AfxReportException(kCommandFailed);
        result = TRUE;
    }
    if (message == WM_NCDESTROY) SetWindowLongPtrA(hWnd, DWLP_USER, 0);
    return result;
}

// Ahead of the platform dialog's own procedure: some platforms join the folder and the name of
// OK in a buffer of MAX_PATH characters without a bound and crash on a longer path, so such an
// OK is answered here with a message and the dialog stays open.
LRESULT CALLBACK CFileDialog::PlatformDialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam,
                                                 UINT_PTR, DWORD_PTR dwRefData) {
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK &&
        reinterpret_cast<const CFileDialog*>(dwRefData)->IsPathTooLong()) {
        AfxMessageBox(kPathTooLong, MB_OK | MB_ICONEXCLAMATION);
        return 0;
    }
    const char* pszTopic = reinterpret_cast<const CFileDialog*>(dwRefData)->m_pszHelpTopic;
    if (message == WM_HELP && pszTopic != nullptr && AfxGetApp() != nullptr) {
        AfxGetApp()->ShowHelpTopic(pszTopic);
        return TRUE;
    }
    if (message == WM_NCDESTROY) RemoveWindowSubclass(hWnd, PlatformDialogProc, 0);
    return DefSubclassProc(hWnd, message, wParam, lParam);
}
