#include "Wnd.h"

CWnd::~CWnd() = default;

void CWnd::Attach(HWND hWnd) {
    m_hWnd = hWnd;
}

HWND CWnd::Detach() {
    HWND hWnd = m_hWnd;
    if (hWnd != nullptr) m_strText = GetNativeWindowText(hWnd);
    m_hWnd = nullptr;
    return hWnd;
}

void CWnd::SetWindowText(const CString& text) {
    m_strText = text;
    if (m_hWnd != nullptr) SetNativeWindowText(m_hWnd, text);
}

CString CWnd::GetWindowText() const {
    return m_hWnd != nullptr ? GetNativeWindowText(m_hWnd) : m_strText;
}
