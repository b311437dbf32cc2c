#include "View.h"

#include <commdlg.h>

#include "Document.h"
#include "FrameWnd.h"
#include "Preview.h"
#include "WinApp.h"
#include "FrameworkIds.h"

CView::~CView() {
    if (m_pDocument != nullptr) m_pDocument->RemoveView(this);
}

BOOL CView::OnCmdMsg(UINT nID, CmdCode code, CCmdUI* pCmdUI) {
    static const CmdMapEntry<CView> map[] = {
        OnCommandEntry<CView>(ID_FILE_PRINT, &CView::OnFilePrint),
        OnCommandEntry<CView>(ID_FILE_PRINT_DIRECT, &CView::OnFilePrintDirect),
        OnCommandEntry<CView>(ID_FILE_PRINT_PREVIEW, &CView::OnFilePrintPreview),
    };
    if (DispatchCmdMap(this, map, nID, code, pCmdUI)) return TRUE;
    return m_pDocument != nullptr && m_pDocument->OnCmdMsg(nID, code, pCmdUI);
}

BOOL CView::DoPreparePrinting(CPrintInfo* pInfo) {
    CWinApp* app = AfxGetApp();
    if (pInfo->m_bPreview) return TRUE;
    if (pInfo->m_bDirect) {
        const CCommandLineInfo* cmd = app != nullptr ? app->m_pCmdInfo : nullptr;
        if (cmd != nullptr && cmd->m_nShellCommand == CCommandLineInfo::FilePrintTo)
            pInfo->m_hPrinterDC = CreateDCA(cmd->m_strDriverName.c_str(), cmd->m_strPrinterName.c_str(),
                                            cmd->m_strPortName.c_str(), nullptr);
        else if (app != nullptr)
            pInfo->m_hPrinterDC = app->CreatePrinterDC();
        if (pInfo->m_hPrinterDC != nullptr) return TRUE;
        // No printer to print on directly: the print dialog tells the user what is missing.
    }
    PRINTDLGA pd = {};
    pd.lStructSize = sizeof pd;
    pd.hwndOwner = app != nullptr && app->m_pMainWnd != nullptr ? app->m_pMainWnd->GetSafeHwnd() : nullptr;
    pd.hDevMode = app != nullptr ? app->m_hDevMode : nullptr;
    pd.hDevNames = app != nullptr ? app->m_hDevNames : nullptr;
    pd.Flags = PD_RETURNDC | PD_NOSELECTION | PD_USEDEVMODECOPIESANDCOLLATE;
    pd.nMinPage = static_cast<WORD>(pInfo->m_nMinPage);
    pd.nMaxPage = static_cast<WORD>(pInfo->m_nMaxPage);
    pd.nFromPage = static_cast<WORD>(pInfo->m_nMinPage);
    pd.nToPage = static_cast<WORD>(pInfo->m_nMaxPage);
    if (!PrintDlgA(&pd)) return FALSE;
    if (app != nullptr) {
        app->m_hDevMode = pd.hDevMode;
        app->m_hDevNames = pd.hDevNames;
    }
    pInfo->m_hPrinterDC = pd.hDC;
    return pd.hDC != nullptr;
}

void CView::OnFilePrint() {
    CPrintInfo info;
    PrintDocument(info);
}

void CView::OnFilePrintDirect() {
    CPrintInfo info;
    info.m_bDirect = TRUE;
    PrintDocument(info);
}

void CView::PrintDocument(CPrintInfo& info) {
    if (!OnPreparePrinting(&info)) return;
    HDC hdc = info.m_hPrinterDC;
    CString title = m_pDocument != nullptr ? m_pDocument->GetTitle() : CString();
    DOCINFOA doc = {};
    doc.cbSize = sizeof doc;
    doc.lpszDocName = title.c_str();
    if (StartDocA(hdc, &doc) <= 0) {
        DeleteDC(hdc);
        AfxMessageBox("Failed to print.");
        return;
    }
    OnBeginPrinting(hdc, &info);
    for (info.m_nCurPage = info.m_nMinPage; info.m_nCurPage <= info.m_nMaxPage; ++info.m_nCurPage) {
        OnPrepareDC(hdc, &info);
        if (!info.m_bContinuePrinting) break;
        StartPage(hdc);
        info.m_rectDraw = {0, 0, GetDeviceCaps(hdc, HORZRES), GetDeviceCaps(hdc, VERTRES)};
        OnPrint(hdc, &info);
        EndPage(hdc);
    }
    EndDoc(hdc);
    OnEndPrinting(hdc, &info);
    DeleteDC(hdc);
}

void CView::OnFilePrintPreview() {
    auto* pFrame = dynamic_cast<CFrameWnd*>(CWinWnd::FromHandlePermanent(GetParent(m_hWnd)));
    if (pFrame == nullptr || pFrame->GetPreview() != nullptr) return;
    auto pPreview = std::make_unique<CPreviewWnd>(this, pFrame);
    if (!pPreview->Create()) return;
    pFrame->BeginPreview(std::move(pPreview));
}
