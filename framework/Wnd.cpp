#include "Wnd.h"

CString GetNativeWindowText(HWND hWnd) {
    int length = GetWindowTextLengthA(hWnd);
    CString text(static_cast<size_t>(length) + 1, '\0');
    length = GetWindowTextA(hWnd, &text[0], length + 1);
    text.resize(length > 0 ? static_cast<size_t>(length) : 0);
    return text;
}

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
    if (m_hWnd != nullptr) SetWindowTextA(m_hWnd, text.c_str());
}

CString CWnd::GetWindowText() const {
    return m_hWnd != nullptr ? GetNativeWindowText(m_hWnd) : m_strText;
}
