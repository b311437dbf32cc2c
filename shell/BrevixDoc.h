// CBrevixDoc: the open source file. Its path is what Process chunks; its text is the view's.
#pragma once

#include "framework/Document.h"

class CBrevixDoc : public CDocument {
public:
    BOOL OnCmdMsg(UINT nID, CmdCode code, CCmdUI* pCmdUI) override;

protected:
    void Serialize(CArchive& ar) override;
    BOOL OnNewDocument() override;

    // Command handlers
    void OnFileProcess();
    void OnUpdateFileProcess(CCmdUI* pCmdUI);
    void OnUpdateFileClose(CCmdUI* pCmdUI);
};
