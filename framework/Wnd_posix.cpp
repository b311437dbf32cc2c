// No windows exist on POSIX: window objects only ever hold their own text.
#include "Wnd.h"

void SetNativeWindowText(HWND, const CString&) {}
CString GetNativeWindowText(HWND) { return CString(); }
