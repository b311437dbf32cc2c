// CWnd, the framework's window object, and the two control classes the settings record owns.
// A window object holds its text itself while no window is attached: what SetWindowText stored,
// empty if it was never set. That lets the engine, the command-line front end and the tests read
// the key texts through the same accessors that read the toolbar fields in the application.
// Once a window is attached, the text lives in the window.
#pragma once

#include "platform/StringTypes.h"

// The Windows handle type, declared as the Windows headers declare it, so that this header
// needs none of them.
struct HWND__;
typedef HWND__* HWND;

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

// The platform half of CWnd: the text of a real window.
void SetNativeWindowText(HWND hWnd, const CString& text);
CString GetNativeWindowText(HWND hWnd);
