#include "Document.h"

#include <commdlg.h>
#include <shlobj.h>

#include "DocTemplate.h"
#include "FrameWnd.h"
#include "View.h"
#include "WinApp.h"

unsigned long long CArchive::GetLength() const {
    LARGE_INTEGER size = {};
    return GetFileSizeEx(m_hFile, &size) ? static_cast<unsigned long long>(size.QuadPart) : 0;
}

UINT CArchive::Read(void* pBuffer, UINT nCount) {
    DWORD read = 0;
    if (!ReadFile(m_hFile, pBuffer, nCount, &read, nullptr)) return 0;
    return read;
}

BOOL CDocument::OnNewDocument() {
    DeleteContents();
    m_strPathName.clear();
    SetModifiedFlag(FALSE);
    return TRUE;
}

void CDocument::ReportOpenFailure(DWORD error, const CString& path) {
    const char* message = kFailedOpenDoc;
    switch (error) {
    case ERROR_FILE_NOT_FOUND: message = "%1 was not found."; break;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_INVALID_DRIVE: message = "%1 contains an invalid path."; break;
    case ERROR_ACCESS_DENIED: message = "Access to %1 was denied."; break;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: message = "A sharing violation occurred while accessing %1."; break;
    case ERROR_TOO_MANY_OPEN_FILES:
        message = "%1 could not be opened because there are too many open files.";
        break;
    default: break;
    }
    AfxMessageBox(AfxFormatString1(message, path));
}

BOOL CDocument::OnOpenDocument(const CString& path) {
    HANDLE hFile = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE) {
        ReportOpenFailure(GetLastError(), path);
        return FALSE;
    }
    DeleteContents();
    SetModifiedFlag(TRUE); // for the load: a failure from here on leaves an empty document
    BOOL bDone = TRUE;
    try {
        CArchive ar(hFile, path);
        Serialize(ar);
    } catch (const CArchiveException& e) {
        if (!e.m_strMessage.empty())
            AfxMessageBox(AfxFormatString1(e.m_strMessage, path), MB_OK | MB_ICONEXCLAMATION, e.m_pszHelpTopic);
        bDone = FALSE;
    } catch (...) {
        AfxReportException(kFailedOpenDoc);
        bDone = FALSE;
    }
    CloseHandle(hFile);
    if (!bDone) {
        DeleteContents();
        return FALSE;
    }
    SetModifiedFlag(FALSE);
    return TRUE;
}

void CDocument::Serialize(CArchive&) {}

void CDocument::SetTitle(const CString& title) {
    m_strTitle = title;
    UpdateFrameTitle();
}

void CDocument::SetPathName(const CString& path, BOOL bAddToMRU) {
    m_strPathName = path;
    char title[MAX_PATH] = "";
    if (GetFileTitleA(path.c_str(), title, sizeof title) != 0) {
        size_t slash = path.find_last_of("\\/");
        lstrcpynA(title, path.c_str() + (slash == CString::npos ? 0 : slash + 1), sizeof title);
    }
    SetTitle(title);
    if (bAddToMRU && AfxGetApp() != nullptr) AfxGetApp()->AddToRecentFileList(path);
}

void CDocument::AddView(CView* pView) {
    m_viewList.push_back(pView);
    pView->m_pDocument = this;
}

void CDocument::RemoveView(CView* pView) {
    for (auto it = m_viewList.begin(); it != m_viewList.end(); ++it) {
        if (*it == pView) {
            m_viewList.erase(it);
            pView->m_pDocument = nullptr;
            return;
        }
    }
}

void CDocument::UpdateFrameTitle() {
    for (CView* pView : m_viewList) {
        HWND hFrame = GetParent(pView->GetSafeHwnd());
        if (auto* pFrame = dynamic_cast<CFrameWnd*>(CWinWnd::FromHandlePermanent(hFrame)))
            pFrame->OnUpdateFrameTitle();
    }
}
