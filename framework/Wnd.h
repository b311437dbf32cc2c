// CWnd, the framework's window object, and the two control classes the settings record owns.
// A window object holds its text itself while no window is attached (before the main frame makes
// the toolbar fields and after it is gone): what SetWindowText stored, empty if it was never set.
// Once a window is attached, the text lives in the window.
#pragma once

#include "platform/StringTypes.h"
#include "platform/Win32.h"

class CWnd {
public:
    CWnd() = default;
    virtual ~CWnd();

    // The attached window, or null.
    HWND GetSafeHwnd() const { return m_hWnd; }
    // Binds an existing window to this object (its text then lives in the window), and unbinds it.
    void Attach(HWND hWnd);
    HWND Detach();

    void SetWindowText(const CString& text);
    CString GetWindowText() const;
    void GetWindowText(CString& text) const { text = GetWindowText(); }

    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;

protected:
    CString m_strText; // the text while no window is attached
};

class CStatic : public CWnd {};
class CEdit : public CWnd {};

// The text of a real window.
CString GetNativeWindowText(HWND hWnd);
