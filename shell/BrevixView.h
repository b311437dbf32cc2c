// CBrevixView: the source file's text, read-only and word-wrapped.
#pragma once

#include "framework/EditView.h"

class CBrevixView : public CEditView {
public:
    ~CBrevixView() override;
    // The edit control, in a fixed-pitch font that follows the screen's dpi.
    BOOL Create(CFrameWnd* pParent, UINT nID) override;
    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
    void OnInitialUpdate() override;
    void OnDraw(HDC) override {}

private:
    HFONT m_hFont = nullptr;
};

// text with a CR put before every LF (also before one that follows a CR already).
CString WithCarriageReturns(const CString& text);
