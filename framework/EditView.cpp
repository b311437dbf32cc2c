#include "EditView.h"

#include "FrameWnd.h"
#include "WinApp.h"
#include "FrameworkIds.h"

BOOL CEditView::PreCreateWindow(CREATESTRUCTA& cs) {
    cs.lpszClass = "EDIT";
    cs.style |= WS_CHILD | WS_VISIBLE | ES_MULTILINE | WS_VSCROLL | ES_AUTOVSCROLL | ES_NOHIDESEL |
                WS_HSCROLL | ES_AUTOHSCROLL;
    cs.dwExStyle |= WS_EX_CLIENTEDGE;
    return TRUE;
}

BOOL CEditView::Create(CFrameWnd* pParent, UINT nID) {
    CREATESTRUCTA cs = {};
    if (!PreCreateWindow(cs)) return FALSE;
    HWND hWnd = CreateWindowExA(cs.dwExStyle, cs.lpszClass, "", cs.style, 0, 0, 0, 0, pParent->GetSafeHwnd(),
                                reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)),
                                GetModuleHandleA(nullptr), nullptr);
    if (hWnd == nullptr) return FALSE;
    Attach(hWnd);
    SendMessage(EM_SETLIMITTEXT, kMaxSize);
    return TRUE;
}

void CEditView::SerializeRaw(CArchive& ar) {
    unsigned long long length = ar.GetLength();
    if (length > kMaxSize) throw CArchiveException(kFileTooLarge, kLargeSourceTopic);
    CString text(static_cast<size_t>(length), '\0');
    if (length != 0 && ar.Read(&text[0], static_cast<UINT>(length)) != length)
        throw CArchiveException(kUnexpectedFormat);
    SetWindowText(text);
    if (static_cast<unsigned long long>(GetWindowTextLengthA(m_hWnd)) != length)
        throw CArchiveException(kFailedOpenDoc);
}

BOOL CEditView::OnCmdMsg(UINT nID, CmdCode code, CCmdUI* pCmdUI) {
    static const CmdMapEntry<CEditView> map[] = {
        OnCommandEntry<CEditView>(ID_EDIT_COPY, &CEditView::OnEditCopy),
        OnUpdateEntry<CEditView>(ID_EDIT_COPY, &CEditView::OnUpdateEditCopy),
    };
    return DispatchCmdMap(this, map, nID, code, pCmdUI) || CView::OnCmdMsg(nID, code, pCmdUI);
}

void CEditView::OnEditCopy() {
    SendMessage(WM_COPY);
}

void CEditView::OnUpdateEditCopy(CCmdUI* pCmdUI) {
    DWORD start = 0, end = 0;
    SendMessage(EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    pCmdUI->Enable(start != end);
}

HFONT CEditView::CreatePrinterFont(HDC hdc) const {
    // The view's font at the printer's resolution.
    HFONT hFont = GetFont();
    LOGFONTA lf = {};
    if (hFont == nullptr) hFont = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
    GetObjectA(hFont, sizeof lf, &lf);
    HDC hScreen = GetDC(nullptr);
    int screenDpi = GetDeviceCaps(hScreen, LOGPIXELSY);
    HGDIOBJ old = SelectObject(hScreen, hFont);
    TEXTMETRICA tm = {};
    GetTextMetricsA(hScreen, &tm);
    SelectObject(hScreen, old);
    ReleaseDC(nullptr, hScreen);
    if (lf.lfHeight == 0) lf.lfHeight = -MulDiv(10, screenDpi, 72);
    lf.lfHeight = MulDiv(lf.lfHeight, GetDeviceCaps(hdc, LOGPIXELSY), screenDpi);
    lf.lfWidth = 0;
    // A screen's raster font has no size for a printer (or a reduced preview): a TrueType
    // face of the same height takes its place.
    if (!(tm.tmPitchAndFamily & TMPF_TRUETYPE)) {
        lstrcpynA(lf.lfFaceName, "Tahoma", LF_FACESIZE);
        lf.lfOutPrecision = OUT_TT_ONLY_PRECIS;
    }
    return CreateFontIndirectA(&lf);
}

void CEditView::OnBeginPrinting(HDC hdc, CPrintInfo* pInfo) {
    // The text with its line breaks made plain: CR LF and CR CR LF both end one line.
    CString text = GetWindowText();
    m_strPrintText.clear();
    m_strPrintText.reserve(text.size());
    for (char ch : text)
        if (ch != '\r') m_strPrintText += ch;
    if (m_hPrinterFont != nullptr) DeleteObject(m_hPrinterFont);
    m_hPrinterFont = CreatePrinterFont(hdc);
    // Page by page: each page starts where the one before ran out of room.
    RECT rect = {0, 0, GetDeviceCaps(hdc, HORZRES), GetDeviceCaps(hdc, VERTRES)};
    if (pInfo->m_rectDraw.right > pInfo->m_rectDraw.left) rect = pInfo->m_rectDraw;
    m_aPageStart.assign(1, 0);
    size_t index = 0;
    while (index < m_strPrintText.size()) {
        size_t next = PrintInsideRect(hdc, rect, index, FALSE);
        if (next <= index) break;
        index = next;
        if (index < m_strPrintText.size()) m_aPageStart.push_back(index);
    }
    pInfo->m_nMaxPage = static_cast<UINT>(m_aPageStart.size());
}

void CEditView::OnPrepareDC(HDC, CPrintInfo* pInfo) {
    if (pInfo != nullptr && !pInfo->m_bPreview)
        pInfo->m_bContinuePrinting = pInfo->m_nCurPage <= m_aPageStart.size();
}

void CEditView::OnPrint(HDC hdc, CPrintInfo* pInfo) {
    if (pInfo->m_nCurPage < 1 || pInfo->m_nCurPage > m_aPageStart.size()) return;
    RECT rect = pInfo->m_rectDraw;
    if (rect.right <= rect.left) rect = {0, 0, GetDeviceCaps(hdc, HORZRES), GetDeviceCaps(hdc, VERTRES)};
    PrintInsideRect(hdc, rect, m_aPageStart[pInfo->m_nCurPage - 1], TRUE);
}

void CEditView::OnEndPrinting(HDC, CPrintInfo*) {
    if (m_hPrinterFont != nullptr) DeleteObject(m_hPrinterFont);
    m_hPrinterFont = nullptr;
}

size_t CEditView::PrintInsideRect(HDC hdc, const RECT& rect, size_t nStart, BOOL bDraw) {
    HGDIOBJ oldFont = SelectObject(hdc, m_hPrinterFont);
    TEXTMETRICA tm = {};
    GetTextMetricsA(hdc, &tm);
    int lineHeight = tm.tmHeight + tm.tmExternalLeading;
    int width = rect.right - rect.left;
    int y = rect.top;
    size_t index = nStart;
    const CString& text = m_strPrintText;
    while (index < text.size() && y + lineHeight <= rect.bottom) {
        // One display line: up to the line feed, or as many words as fit the width.
        size_t end = text.find('\n', index);
        if (end == CString::npos) end = text.size();
        size_t fit = end;
        // No line wider than the page holds more than three times its average characters.
        size_t most = static_cast<size_t>(width / (tm.tmAveCharWidth > 0 ? tm.tmAveCharWidth : 1)) * 3 + 1;
        if (fit - index > most) fit = index + most;
        while (fit > index) {
            DWORD extent =
                GetTabbedTextExtentA(hdc, text.c_str() + index, static_cast<int>(fit - index), 0, nullptr);
            if (static_cast<int>(LOWORD(extent)) <= width) break;
            size_t space = text.find_last_of(" \t", fit - 1);
            fit = space != CString::npos && space > index ? space : fit - 1;
        }
        if (fit == index && end > index) fit = index + 1; // a character wider than the page
        if (bDraw)
            TabbedTextOutA(hdc, rect.left, y, text.c_str() + index, static_cast<int>(fit - index), 0, nullptr,
                           rect.left);
        y += lineHeight;
        index = fit;
        if (index < text.size() && (text[index] == '\n' || text[index] == ' ')) ++index;
    }
    SelectObject(hdc, oldFont);
    return index;
}
