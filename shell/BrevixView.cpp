#include "BrevixView.h"

CString WithCarriageReturns(const CString& text) {
    CString out;
    out.reserve(text.size() + text.size() / 16);
    for (char ch : text) {
        if (ch == '\n') out += '\r';
        out += ch;
    }
    return out;
}

namespace {
int CALLBACK NoteFace(const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM lParam) {
    *reinterpret_cast<bool*>(lParam) = true;
    return 0;
}
} // namespace

CBrevixView::~CBrevixView() {
    if (m_hFont != nullptr) DeleteObject(m_hFont);
}

// Consolas where the system has it, else Courier New; 10 points at the screen's dpi.
BOOL CBrevixView::Create(CFrameWnd* pParent, UINT nID) {
    if (!CEditView::Create(pParent, nID)) return FALSE;
    HDC hdc = GetDC(m_hWnd);
    LOGFONTA lf = {};
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpyA(lf.lfFaceName, "Consolas");
    bool bConsolas = false;
    EnumFontFamiliesExA(hdc, &lf, NoteFace, reinterpret_cast<LPARAM>(&bConsolas), 0);
    lf.lfHeight = -MulDiv(10, GetDeviceCaps(hdc, LOGPIXELSY), 72);
    ReleaseDC(m_hWnd, hdc);
    lf.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
    if (!bConsolas) lstrcpyA(lf.lfFaceName, "Courier New");
    m_hFont = CreateFontIndirectA(&lf);
    if (m_hFont != nullptr) SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(m_hFont), FALSE);
    return TRUE;
}

BOOL CBrevixView::PreCreateWindow(CREATESTRUCTA& cs) {
    BOOL bResult = CEditView::PreCreateWindow(cs);
    cs.style &= ~static_cast<DWORD>(WS_HSCROLL | ES_AUTOHSCROLL); // long lines wrap
    return bResult;
}

void CBrevixView::OnInitialUpdate() {
    CEditView::OnInitialUpdate();
    InvalidateRect(m_hWnd, nullptr, TRUE);
    SendMessage(EM_SETREADONLY, TRUE);
    SetWindowText(WithCarriageReturns(GetWindowText()));
}
