// CMainFrame: the main window with its status bar and the chunk toolbar, whose two labelled
// fields hold the chunk level tags and the chunk name keys.
#pragma once

#include "framework/ControlBar.h"
#include "framework/FrameWnd.h"

class CMainFrame : public CFrameWnd {
public:
    CStatusBar& GetStatusBar() { return m_wndStatusBar; }
    CToolBar& GetToolBar() { return m_wndToolBar; }

protected:
    int OnCreate(CREATESTRUCTA* pcs) override;
    void OnDestroy() override;

private:
    // Helpers
    // Makes toolbar entry nIndex the place of a window nWidth wide, and returns that place.
    RECT MakePlace(int nIndex, UINT nID, int nWidth);

    // Member variables
    CStatusBar m_wndStatusBar;
    CToolBar m_wndToolBar;
};
