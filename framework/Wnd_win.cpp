#include "Wnd.h"

#include "platform/Win32.h"

void SetNativeWindowText(HWND hWnd, const CString& text) { SetWindowTextA(hWnd, text.c_str()); }

CString GetNativeWindowText(HWND hWnd) {
    int length = GetWindowTextLengthA(hWnd);
    CString text(static_cast<size_t>(length) + 1, '\0');
    length = GetWindowTextA(hWnd, &text[0], length + 1);
    text.resize(length > 0 ? static_cast<size_t>(length) : 0);
    return text;
}
