#include "BrevixDoc.h"

#include "BrevixView.h"
#include "resources/resource.h"
#include "settings/ChunkSettings.h"

BOOL CBrevixDoc::OnCmdMsg(UINT nID, CmdCode code, CCmdUI* pCmdUI) {
    static const CmdMapEntry<CBrevixDoc> map[] = {
        OnCommandEntry<CBrevixDoc>(ID_FILE_PROCESS, &CBrevixDoc::OnFileProcess),
        OnUpdateEntry<CBrevixDoc>(ID_FILE_PROCESS, &CBrevixDoc::OnUpdateFileProcess),
        OnUpdateEntry<CBrevixDoc>(ID_FILE_NEW, &CBrevixDoc::OnUpdateFileClose),
    };
    return DispatchCmdMap(this, map, nID, code, pCmdUI) || CDocument::OnCmdMsg(nID, code, pCmdUI);
}

void CBrevixDoc::Serialize(CArchive& ar) {
    if (auto* pView = static_cast<CBrevixView*>(GetFirstView())) pView->SerializeRaw(ar);
}

BOOL CBrevixDoc::OnNewDocument() {
    if (!CDocument::OnNewDocument()) return FALSE;
    if (CView* pView = GetFirstView()) pView->SetWindowText(CString());
    return TRUE;
}

// OnFileProcess, the Process command, is in process/ProcessCommand.cpp.

void CBrevixDoc::OnUpdateFileProcess(CCmdUI* pCmdUI) {
    pCmdUI->Enable(!GetPathName().empty() && !GetChunkSettings()->GetLevelTagText().empty());
}

void CBrevixDoc::OnUpdateFileClose(CCmdUI* pCmdUI) { pCmdUI->Enable(!GetPathName().empty()); }
