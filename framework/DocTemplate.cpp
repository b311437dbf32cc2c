#include "DocTemplate.h"

#include <shlobj.h>

#include "Document.h"
#include "FrameWnd.h"
#include "View.h"
#include "WinApp.h"

namespace {
// The path as the shell means it: quotes taken off, made absolute, a shortcut followed.
CString CleanPath(const char* path) {
    CString text = path;
    if (!text.empty() && text.front() == '"') text.erase(0, 1);
    size_t quote = text.rfind('"');
    if (quote != CString::npos) text.erase(quote, 1);
    char full[MAX_PATH] = "";
    char* filePart = nullptr;
    // A path too long for the buffer stays as given, and its opening fails with its message.
    DWORD length = GetFullPathNameA(text.c_str(), sizeof full, full, &filePart);
    if (length != 0 && length < sizeof full) text = full;
    size_t dot = text.find_last_of('.');
    if (dot != CString::npos && lstrcmpiA(text.c_str() + dot, ".lnk") == 0) {
        const bool bCom = SUCCEEDED(CoInitialize(nullptr)); // S_FALSE too: it must be balanced
        IShellLinkA* pLink = nullptr;
        if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                       reinterpret_cast<void**>(&pLink)))) {
            IPersistFile* pFile = nullptr;
            if (SUCCEEDED(pLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&pFile)))) {
                WCHAR wide[MAX_PATH];
                MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide, MAX_PATH);
                char target[MAX_PATH] = "";
                if (SUCCEEDED(pFile->Load(wide, STGM_READ)) &&
                    SUCCEEDED(pLink->GetPath(target, MAX_PATH, nullptr, 0)) && target[0] != '\0')
                    text = target;
                pFile->Release();
            }
            pLink->Release();
        }
        if (bCom) CoUninitialize();
    }
    return text;
}
} // namespace

CSingleDocTemplate::CSingleDocTemplate(UINT nIDResource, DocFactory newDoc, FrameFactory newFrame,
                                       ViewFactory newView)
    : m_nIDResource(nIDResource), m_pNewView(newView), m_pNewDoc(newDoc), m_pNewFrame(newFrame) {}

CSingleDocTemplate::~CSingleDocTemplate() {
    delete m_pOnlyDoc;
}

BOOL CSingleDocTemplate::GetDocString(CString& rString, DocStringIndex index) const {
    CString all = AfxLoadString(m_nIDResource);
    size_t start = 0;
    for (int i = 0; i < index; ++i) {
        start = all.find('\n', start);
        if (start == CString::npos) {
            rString.clear();
            return FALSE;
        }
        ++start;
    }
    size_t end = all.find('\n', start);
    rString = all.substr(start, end == CString::npos ? CString::npos : end - start);
    return TRUE;
}

void CSingleDocTemplate::SetDefaultTitle(CDocument* pDocument) {
    CString title;
    if (!GetDocString(title, docName) || title.empty()) title = "Untitled";
    pDocument->SetTitle(title);
}

void CSingleDocTemplate::OnFrameDestroyed(CFrameWnd* pFrame) {
    if (pFrame != m_pFrame) return;
    m_pFrame = nullptr;
}

BOOL CSingleDocTemplate::CreateDocumentAndFrame() {
    if (m_pOnlyDoc == nullptr) {
        m_pOnlyDoc = m_pNewDoc();
        m_pOnlyDoc->m_pDocTemplate = this;
    }
    if (m_pFrame != nullptr) return TRUE;
    CFrameWnd* pFrame = m_pNewFrame();
    // The frame deletes itself when its window goes, also when its creation fails.
    if (!pFrame->LoadFrame(m_nIDResource, this, m_pOnlyDoc)) {
        AfxMessageBox(kFailedCreateDoc);
        return FALSE;
    }
    m_pFrame = pFrame;
    CWinApp* app = AfxGetApp();
    if (app != nullptr && app->m_pMainWnd == nullptr) app->m_pMainWnd = pFrame;
    return TRUE;
}

CDocument* CSingleDocTemplate::OpenDocumentFile(const char* path, BOOL bMakeVisible) {
    bool bCreated = m_pFrame == nullptr;
    if (!CreateDocumentAndFrame()) return nullptr;
    CDocument* pDocument = m_pOnlyDoc;
    if (!pDocument->SaveModified()) return nullptr;

    if (path == nullptr || *path == '\0') {
        SetDefaultTitle(pDocument);
        if (!pDocument->OnNewDocument()) {
            if (bCreated) m_pFrame->DestroyWindow();
            return nullptr;
        }
    } else {
        CString file = CleanPath(path);
        if (!pDocument->GetPathName().empty() &&
            lstrcmpiA(file.c_str(), pDocument->GetPathName().c_str()) == 0) {
            // Already open: only brought to the front.
            m_pFrame->ActivateFrame();
            return pDocument;
        }
        BOOL bWasModified = pDocument->IsModified();
        pDocument->SetModifiedFlag(FALSE);
        if (!pDocument->OnOpenDocument(file)) {
            if (bCreated) {
                m_pFrame->DestroyWindow();
            } else if (!pDocument->IsModified()) {
                pDocument->SetModifiedFlag(bWasModified); // not touched
            } else {
                // The load failed half-way: the document becomes the empty one.
                SetDefaultTitle(pDocument);
                pDocument->OnNewDocument();
                m_pFrame->InitialUpdateFrame(pDocument);
            }
            return nullptr;
        }
        pDocument->SetPathName(file);
    }
    m_pFrame->InitialUpdateFrame(pDocument);
    if (bMakeVisible && !bCreated) m_pFrame->ActivateFrame();
    return pDocument;
}
