#include "BrevixDoc.h"

#include "BrevixView.h"
#include "framework/WinApp.h"
#include "engine/Chunker.h"
#include "process/FolderDialog.h"
#include "process/ProcessLogDlg.h"
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

// The Process command: asks for the output folder, runs the engine once over the open source
// file with the options and the toolbar's key texts as they are now, and shows its log. Cancel,
// or a place with no file-system path, ends the command silently. A read error of the source
// (CFileException) or a source too large for memory passes out to the command dispatch, which
// reports it; the objects here are destroyed as it passes.
void CBrevixDoc::OnFileProcess() {
    CFolderDialog folderDlg;
    folderDlg.SetTitle("Select Brevix Output Folder");
    if (folderDlg.DoModal() != IDOK || folderDlg.m_strFolder.empty()) return;

    const ChunkSettings& settings = *GetChunkSettings();
    CProcessLogDlg logDlg;
    Chunker chunker(settings, settings.GetLevelTagText(), settings.GetNameKeyText());
    logDlg.m_strLog = chunker.Process(GetPathName(), folderDlg.m_strFolder);
    // A source that was not cut for its encoding is told in a message box instead of a log.
    if (!chunker.GetRefusal().empty())
        AfxMessageBox(chunker.GetRefusal());
    else
        logDlg.DoModal();
}

void CBrevixDoc::OnUpdateFileProcess(CCmdUI* pCmdUI) {
    pCmdUI->Enable(!GetPathName().empty() && !GetChunkSettings()->GetLevelTagText().empty());
}

void CBrevixDoc::OnUpdateFileClose(CCmdUI* pCmdUI) { pCmdUI->Enable(!GetPathName().empty()); }
