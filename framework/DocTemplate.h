// CSingleDocTemplate: the one document, its frame and its view, made once and reused.
#pragma once

#include "platform/StringTypes.h"
#include "platform/Win32.h"

class CDocument;
class CFrameWnd;
class CView;

// A factory of a framework object: NewObject<CBrevixDoc, CDocument>.
template <class T, class Base> Base* NewObject() {
    return new T;
}

class CSingleDocTemplate {
public:
    enum DocStringIndex {
        windowTitle,
        docName,
        fileNewName,
        filterName,
        filterExt,
        regFileTypeId,
        regFileTypeName
    };
    using DocFactory = CDocument* (*)();
    using FrameFactory = CFrameWnd* (*)();
    using ViewFactory = CView* (*)();

    CSingleDocTemplate(UINT nIDResource, DocFactory newDoc, FrameFactory newFrame, ViewFactory newView);
    ~CSingleDocTemplate();

    // Opens path into the one document (path null or empty: an empty document). The document
    // and frame are made on first use; a failure is reported and gives null.
    CDocument* OpenDocumentFile(const char* path, BOOL bMakeVisible = TRUE);
    BOOL GetDocString(CString& rString, DocStringIndex index) const;
    CDocument* GetDocument() const { return m_pOnlyDoc; }
    // The frame has gone: forget it and its view.
    void OnFrameDestroyed(CFrameWnd* pFrame);

    UINT m_nIDResource;
    ViewFactory m_pNewView;

    CSingleDocTemplate(const CSingleDocTemplate&) = delete;
    CSingleDocTemplate& operator=(const CSingleDocTemplate&) = delete;

private:
    BOOL CreateDocumentAndFrame();
    void SetDefaultTitle(CDocument* pDocument);

    DocFactory m_pNewDoc;
    FrameFactory m_pNewFrame;
    CDocument* m_pOnlyDoc = nullptr;
    CFrameWnd* m_pFrame = nullptr;
};
