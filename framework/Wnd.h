// CWnd and the two control classes the settings record owns. A window object holds its text
// itself while no window is attached: what SetWindowText stored, empty if it was never set.
// That lets the engine, the command-line front end and the tests read the key texts through the
// same accessors that read the toolbar fields in the application.
#pragma once

#include "StringTypes.h"

class CWnd {
public:
    CWnd() = default;
    virtual ~CWnd() = default;

    void SetWindowText(const CString& text) { m_strText = text; }
    CString GetWindowText() const { return m_strText; }
    void GetWindowText(CString& text) const { text = m_strText; }

    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

protected:
    CString m_strText;
};

class CStatic : public CWnd {};
class CEdit : public CWnd {};
