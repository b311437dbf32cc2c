// The Process command of the document: asks for the output folder, runs the engine once over
// the open source file and shows its log.
#include "shell/BrevixDoc.h"

#include "FolderDialog.h"
#include "ProcessLogDlg.h"
#include "engine/Chunker.h"

// Cancel, or a place with no file-system path, ends the command silently. A read error of the
// source (CFileException) or a source too large for memory passes out to the command dispatch,
// which reports it; the objects here are destroyed as it passes.
void CBrevixDoc::OnFileProcess() {
    CFolderDialog folderDlg;
    folderDlg.SetTitle("Select Brevix Output Folder");
    if (folderDlg.DoModal() != IDOK || folderDlg.m_strFolder.empty()) return;

    CProcessLogDlg logDlg;
    Chunker chunker;
    logDlg.m_strLog = chunker.Process(GetPathName(), folderDlg.m_strFolder);
    logDlg.DoModal();
}
