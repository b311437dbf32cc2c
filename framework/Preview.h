// CPreviewWnd: print preview of a view over the frame's client area, with its own button bar:
// Print, Next Page, Prev Page, One Page / Two Page, Close.
#pragma once

#include "View.h"

class CFrameWnd;

class CPreviewWnd : public CWinWnd {
public:
    CPreviewWnd(CView* pView, CFrameWnd* pFrame);
    ~CPreviewWnd() override;

    // Lays the pages out on the printer (or a letter-size page when there is none) and shows them.
    BOOL Create();
    UINT GetCurrentPage() const { return m_nCurPage; }
    UINT GetPageCount() const { return m_info.m_nMaxPage; }
    UINT GetNumPages() const { return m_nPages; }

    // Command handlers (public: the buttons and the tests use them)
    void OnNextPage();
    void OnPrevPage();
    void OnNumPageChange();
    void OnPreviewPrint();
    void OnPreviewClose();

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Layout();
    void UpdateButtons();
    void OnPaint();
    void DrawPage(HDC hdc, const RECT& rcPage, UINT nPage);

    CView* m_pView;
    CFrameWnd* m_pFrame;
    CPrintInfo m_info;
    HDC m_hAttribDC = nullptr; // the printer (or screen) DC the pages are laid out on
    SIZE m_sizePage = {};      // its page size in its device units
    UINT m_nCurPage = 1;
    UINT m_nPages = 1; // pages shown at once: 1 or 2
    HWND m_hButtons[5] = {};
    int m_nBarHeight = 0;
};
