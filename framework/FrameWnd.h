// CFrameWnd: the main window: menu, accelerators and icon from one resource id, the view as
// client, control bars, command routing and enabling, status-bar prompts, dropped files, help
// key and the shell's DDE conversation.
#pragma once

#include <memory>
#include <vector>

#include "WinWnd.h"

#include <shellapi.h>

class CControlBar;
class CDocument;
class CPreviewWnd;
class CSingleDocTemplate;
class CView;

class CFrameWnd : public CWinWnd {
public:
    CFrameWnd();
    ~CFrameWnd() override;

    // Creates the frame from resource nIDResource with a view for pDocument.
    BOOL LoadFrame(UINT nIDResource, CSingleDocTemplate* pTemplate, CDocument* pDocument);
    virtual BOOL PreCreateWindow(CREATESTRUCTA& cs);

    CView* GetActiveView() const { return m_pViewActive; }
    CDocument* GetActiveDocument() const;
    // Shows the document's title: "<document> - <application>".
    virtual void OnUpdateFrameTitle();
    // Places the bars, the view and the preview in the client area.
    virtual void RecalcLayout();
    // The view's first update after a (re)load, then the title.
    void InitialUpdateFrame(CDocument* pDocument);
    void ActivateFrame(int nCmdShow = -1);

    // Runs the enabling handlers for the toolbar and the status bar (idle time).
    void OnIdleUpdateCmdUI();
    // Accelerators and the help key for messages to this frame's windows.
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    // Routes a command view, document, frame, application, after its enabling handlers allow
    // it; an escaping exception is reported. bFromToolBar picks the fallback message.
    void ExecuteCommand(UINT nID, BOOL bFromToolBar);
    BOOL OnCmdMsg(UINT nID, CmdCode code, CCmdUI* pCmdUI) override;

    CControlBar* GetControlBar(UINT nID) const;
    void AddControlBar(CControlBar* pBar) { m_bars.push_back(pBar); }
    // Shows text in the status bar's message pane (the idle message when empty and bIdle).
    void SetMessageText(const CString& text);
    void SetIdleMessage();

    // Print preview: shown over the whole client area, the bars hidden, until closed.
    void BeginPreview(std::unique_ptr<CPreviewWnd> pPreview);
    void EndPreview();
    CPreviewWnd* GetPreview() const { return m_pPreview.get(); }

    HACCEL m_hAccelTable = nullptr;
    UINT m_nIDResource = 0;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    virtual int OnCreate(CREATESTRUCTA* pcs);
    virtual void OnDestroy();
    virtual void OnClose();
    void PostNcDestroy() override;

    // Command handlers
    void OnBarCheck(UINT nID);
    void OnUpdateControlBarMenu(CCmdUI* pCmdUI);

private:
    void OnInitMenuPopup(HMENU hMenu);
    void OnMenuSelect(UINT nItemID, UINT nFlags, HMENU hMenu);
    LRESULT OnNotify(NMHDR* pnmh);
    void OnDropFiles(HDROP hDrop);
    LRESULT OnDdeInitiate(HWND hClient, ATOM aApp, ATOM aTopic);
    void OnDdeExecute(HWND hClient, LPARAM lParam);

    CSingleDocTemplate* m_pTemplate = nullptr;
    CDocument* m_pInitialDoc = nullptr;
    CView* m_pViewActive = nullptr; // owned
    std::vector<CControlBar*> m_bars;
    std::unique_ptr<CPreviewWnd> m_pPreview;
    std::vector<CControlBar*> m_barsHidden; // the bars that showed when the preview began
    BOOL m_bPromptShown = FALSE;            // a menu or button prompt is in the message pane
};
