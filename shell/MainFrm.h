// CMainFrame: the main window with its status bar and the chunk toolbar, whose two labelled
// fields hold the chunk level tags and the chunk name keys.
#pragma once

#include "framework/ControlBar.h"
#include "framework/FrameWnd.h"

class CMainFrame : public CFrameWnd {
public:
    CStatusBar& GetStatusBar() { return m_wndStatusBar; }
    CToolBar& GetToolBar() { return m_wndToolBar; }

    // F6 and Shift+F6 cycle view, chunk level field, chunk name field; Tab and Shift+Tab move
    // between the two fields; Escape in a field returns to the view.
    BOOL PreTranslateMessage(MSG* pMsg) override;
    // Lays out the bars and the view; the two fields shrink to fit a narrow frame.
    void RecalcLayout() override;

protected:
    int OnCreate(CREATESTRUCTA* pcs) override;
    void OnDestroy() override;

private:
    // Helpers
    // Makes toolbar entry nIndex the place of a window nWidth wide, and returns that place.
    RECT MakePlace(int nIndex, UINT nID, int nWidth);
    // Gives each field nFieldWidth pixels, the labels theirs, and moves them to their places.
    void PlaceFields(int nFieldWidth, int nLevelLabelWidth, int nNameLabelWidth);

    // Member variables
    CStatusBar m_wndStatusBar;
    CToolBar m_wndToolBar;
    int m_nCharWidth = 0;  // W: the fields' average character width less one
    int m_nFieldWidth = 0;  // each field's width as placed
    int m_nLabelsWidth = 0; // the two labels' widths as placed
};
