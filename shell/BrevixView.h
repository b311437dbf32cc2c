// CBrevixView: the source file's text, read-only and word-wrapped.
#pragma once

#include "framework/EditView.h"

class CBrevixView : public CEditView {
public:
    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
    void OnInitialUpdate() override;
    void OnDraw(HDC) override {}
};

// text with a CR put before every LF (also before one that follows a CR already).
CString WithCarriageReturns(const CString& text);
