// CWinWnd: a CWnd that takes part in command routing and, when the framework created it,
// receives its messages through one window procedure that turns them into virtual calls.
// Controls made elsewhere (by a dialog, by common controls) are only attached.
#pragma once

#include "CmdTarget.h"
#include "platform/Win32.h"
#include "Wnd.h"

class CWinWnd : public CWnd, public CCmdTarget {
public:
    CWinWnd() = default;
    ~CWinWnd() override;

    // Registers (once) a window class of this module whose procedure is the framework's.
    static const char* RegisterWndClass(const char* name, HICON hIcon, HBRUSH hBackground, UINT style = 0);
    // Creates the window, bound to this object from WM_NCCREATE on.
    BOOL CreateEx(DWORD dwExStyle, const char* className, const char* text, DWORD dwStyle, int x, int y,
                  int cx, int cy, HWND hParent, HMENU hMenu);
    // The object bound to hWnd by CreateEx, or null.
    static CWinWnd* FromHandlePermanent(HWND hWnd);

    void DestroyWindow();
    BOOL ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    BOOL EnableWindow(BOOL bEnable = TRUE) { return ::EnableWindow(m_hWnd, bEnable); }
    void SetFont(HFONT hFont, BOOL bRedraw = TRUE) { SendMessage(WM_SETFONT, (WPARAM)hFont, bRedraw); }
    HFONT GetFont() const { return (HFONT)::SendMessageA(m_hWnd, WM_GETFONT, 0, 0); }
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    void GetClientRect(RECT* pRect) const { ::GetClientRect(m_hWnd, pRect); }
    void MoveWindow(const RECT& rect, BOOL bRepaint = TRUE) {
        ::MoveWindow(m_hWnd, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, bRepaint);
    }
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageA(m_hWnd, message, wParam, lParam);
    }
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::PostMessageA(m_hWnd, message, wParam, lParam);
    }

protected:
    // The window procedure of windows the framework created: messages not handled go to
    // the default procedure.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);
    // Called after the window is gone (WM_NCDESTROY).
    virtual void PostNcDestroy() {}

private:
    static LRESULT CALLBACK StaticWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
};

// Centres hWnd over hOwner, or over the work area when there is no owner or it is minimised,
// keeping the window's top left on the screen.
void CenterWindowOn(HWND hWnd, HWND hOwner);
