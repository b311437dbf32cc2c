// CEditView: a view that is a multi-line edit control holding the whole document as text,
// with Copy, whole-file load and store, and page-by-page printing of the text.
#pragma once

#include <vector>

#include "Document.h"
#include "View.h"

class CEditView : public CView {
public:
    // The most text the view takes: 1,048,576 bytes less 1.
    static constexpr unsigned long kMaxSize = 1024UL * 1024UL - 1;

    BOOL Create(CFrameWnd* pParent, UINT nID) override;
    // The window style: multi-line with scroll bars, selection kept, sunken edge.
    virtual BOOL PreCreateWindow(CREATESTRUCTA& cs);

    // Reads the whole file as the text (at most kMaxSize bytes), or writes the text.
    void SerializeRaw(CArchive& ar);

    // Printing of the text: laid out in the printer's font, page by page.
    void OnBeginPrinting(HDC hdc, CPrintInfo* pInfo) override;
    void OnPrepareDC(HDC hdc, CPrintInfo* pInfo) override;
    void OnPrint(HDC hdc, CPrintInfo* pInfo) override;
    void OnEndPrinting(HDC hdc, CPrintInfo* pInfo) override;
    // The pages of the last layout: the text index where each begins.

    BOOL OnCmdMsg(UINT nID, CmdCode code, CCmdUI* pCmdUI) override;

protected:
    // Command handlers
    void OnEditCopy();
    void OnUpdateEditCopy(CCmdUI* pCmdUI);

private:
    // Draws the text from nStart inside rect as far as it fits; the index after the last line.
    size_t PrintInsideRect(HDC hdc, const RECT& rect, size_t nStart, BOOL bDraw);
    HFONT CreatePrinterFont(HDC hdc) const;

    CString m_strPrintText; // the text as printed: line breaks made plain
    std::vector<size_t> m_aPageStart;
    HFONT m_hPrinterFont = nullptr;
};
