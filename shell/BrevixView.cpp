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
