// CDocument: the data of the open file, with its path name, title and modified flag, and the
// views that show it. CArchive is the open file handed to Serialize.
#pragma once

#include <vector>

#include "CmdTarget.h"
#include "platform/StringTypes.h"
#include "platform/Win32.h"

class CSingleDocTemplate;
class CView;

// An open file for reading by a document's Serialize (documents here are only ever loaded).
class CArchive {
public:
    CArchive(HANDLE hFile, const CString& path) : m_hFile(hFile), m_strPath(path) {}

    // The file's length in bytes.
    unsigned long long GetLength() const;
    // Reads up to nCount bytes; the number read.
    UINT Read(void* pBuffer, UINT nCount);
    const CString& GetPath() const { return m_strPath; }

private:
    HANDLE m_hFile;
    CString m_strPath;
};

class CDocument : public CCmdTarget {
public:
    CDocument() = default;
    ~CDocument() override = default;

    // Empties the document: contents deleted, no path name, modified flag clear.
    virtual BOOL OnNewDocument();
    // Reads path through Serialize. Reports a failure itself and returns FALSE.
    virtual BOOL OnOpenDocument(const CString& path);
    virtual void DeleteContents() {}
    virtual void Serialize(CArchive& ar);
    // Nothing here is ever saved: the user is never asked.
    virtual BOOL SaveModified() { return TRUE; }

    const CString& GetTitle() const { return m_strTitle; }
    virtual void SetTitle(const CString& title);
    const CString& GetPathName() const { return m_strPathName; }
    // Sets the path, the title from it and, when asked, adds it to the recent-file list.
    virtual void SetPathName(const CString& path, BOOL bAddToMRU = TRUE);
    BOOL IsModified() const { return m_bModified; }
    void SetModifiedFlag(BOOL bModified = TRUE) { m_bModified = bModified; }

    void AddView(CView* pView);
    void RemoveView(CView* pView);
    CView* GetFirstView() const { return m_viewList.empty() ? nullptr : m_viewList.front(); }

    CSingleDocTemplate* m_pDocTemplate = nullptr;

    CDocument(const CDocument&) = delete;
    CDocument& operator=(const CDocument&) = delete;

protected:
    // Tells the user why path could not be read: the message for the cause, or fallback.
    void ReportOpenFailure(DWORD error, const CString& path);
    void UpdateFrameTitle();

    CString m_strTitle;
    CString m_strPathName;
    BOOL m_bModified = FALSE;
    std::vector<CView*> m_viewList;
};

// Thrown by a Serialize that failed; the message is shown by OnOpenDocument. An empty message
// means the user has been told already.
class CArchiveException {
public:
    explicit CArchiveException(const CString& message, const char* pszHelpTopic = nullptr)
        : m_strMessage(message), m_pszHelpTopic(pszHelpTopic) {}
    CString m_strMessage;
    const char* m_pszHelpTopic; // the help topic its message box offers, or null
};
