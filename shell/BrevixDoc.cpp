#include "BrevixDoc.h"

#include "BrevixView.h"
#include "framework/WinApp.h"
#include "engine/Brevix.h"
#include "process/FolderDialog.h"
#include "process/ProcessLogDlg.h"
#include "resources/resource.h"
#include "settings/ChunkSettings.h"

#include <utility>

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
// or a place with no file-system path, ends the command silently. A run that a read error of the
// source or a lack of memory ended, and a source refused for its encoding, get a message box
// instead of the log: the first two as the command dispatch reports an exception's message.
void CBrevixDoc::OnFileProcess() {
    CFolderDialog folderDlg;
    folderDlg.SetTitle("Select Brevix Output Folder");
    if (folderDlg.DoModal() != IDOK || folderDlg.m_strFolder.empty()) return;

    const ChunkSettings& settings = *GetChunkSettings();
    CProcessLogDlg logDlg;
    brevix::Options options = ToPublicOptions(settings);
    options.levelTagText = settings.GetLevelTagText();
    options.nameKeyText = settings.GetNameKeyText();
    brevix::Result result = brevix::Run(GetPathName(), folderDlg.m_strFolder, options);
    if (result.status == brevix::Status::SourceUnreadable)
        AfxMessageBox(result.message);
    else if (result.status == brevix::Status::OutOfMemory)
        AfxMessageBox(kOutOfMemory);
    else if (!result.refusal.empty())
        AfxMessageBox(result.refusal);
    else {
        logDlg.m_strLog = std::move(result.log);
        logDlg.DoModal();
    }
}

void CBrevixDoc::OnUpdateFileProcess(CCmdUI* pCmdUI) {
    pCmdUI->Enable(!GetPathName().empty() && !GetChunkSettings()->GetLevelTagText().empty());
}

void CBrevixDoc::OnUpdateFileClose(CCmdUI* pCmdUI) { pCmdUI->Enable(!GetPathName().empty()); }
