// CView: a window that shows a document inside the frame, with the framework's printing and
// print preview commands. CPrintInfo describes one print job or preview.
#pragma once

#include "WinWnd.h"

class CDocument;
class CFrameWnd;

struct CPrintInfo {
    BOOL m_bDirect = FALSE; // print without the print dialog (command line)
    BOOL m_bPreview = FALSE;
    BOOL m_bContinuePrinting = TRUE;
    UINT m_nCurPage = 1;
    UINT m_nMinPage = 1;
    UINT m_nMaxPage = 0xFFFF; // the number of the last page, once known
    UINT m_nNumPreviewPages = 1;
    RECT m_rectDraw = {};       // where the current page is drawn, in device units of the DC
    HDC m_hPrinterDC = nullptr; // the DC from the print dialog or the default printer
};

class CView : public CWinWnd {
public:
    ~CView() override;

    // Makes the view's window inside pParent.
    virtual BOOL Create(CFrameWnd* pParent, UINT nID) = 0;
    CDocument* GetDocument() const { return m_pDocument; }
    // The document's (re)loaded: the view shows it afresh.
    virtual void OnInitialUpdate() {}
    virtual void OnDraw(HDC) {}

    // Printing, in the framework's order: prepare (dialog), begin, for each page prepare-DC
    // and print, end.
    virtual BOOL OnPreparePrinting(CPrintInfo* pInfo) { return DoPreparePrinting(pInfo); }
    virtual void OnBeginPrinting(HDC, CPrintInfo*) {}
    virtual void OnPrepareDC(HDC, CPrintInfo*) {}
    virtual void OnPrint(HDC hdc, CPrintInfo*) { OnDraw(hdc); }
    virtual void OnEndPrinting(HDC, CPrintInfo*) {}

    BOOL OnCmdMsg(UINT nID, CmdCode code, CCmdUI* pCmdUI) override;

    CDocument* m_pDocument = nullptr;

protected:
    // The print dialog (or the default printer when printing directly): fills m_hPrinterDC.
    BOOL DoPreparePrinting(CPrintInfo* pInfo);

    // Command handlers
    void OnFilePrint();
    void OnFilePrintDirect();
    void OnFilePrintPreview();

private:
    void PrintDocument(CPrintInfo& info);
};
