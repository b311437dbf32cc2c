// The frame's control bars: CToolBar (flat buttons from a toolbar resource, with a gripper and
// tooltips) and CStatusBar (a message pane and key indicators).
#pragma once

#include <vector>

#include "FrameworkIds.h"
#include "WinWnd.h"

class CFrameWnd;

class CControlBar : public CWinWnd {
public:
    // The height the bar takes from the frame's client area (0 while hidden).
    int GetLayoutHeight() const;
};

class CToolBar : public CControlBar {
public:
    // Creates the toolbar window at the top of pParent with id nID.
    BOOL CreateEx(CFrameWnd* pParent, UINT nID = AFX_IDW_TOOLBAR);
    // Loads the buttons and images of toolbar resource nIDResource.
    BOOL LoadToolBar(UINT nIDResource);

    ~CToolBar() override;

    int GetCount() const;
    // Makes entry nIndex a button or separator of id nID, style nStyle and (separator) width iImage.
    void SetButtonInfo(int nIndex, UINT nID, UINT nStyle, int iImage);
    void GetItemRect(int nIndex, RECT* pRect) const;
    // Draws the gripper in the bar's left indent.
    void DrawGripper(HDC hdc) const;

    static constexpr int kGripperIndent = 8;

private:
    HBITMAP m_hBitmap = nullptr; // the button images, owned here
};

class CStatusBar : public CControlBar {
public:
    BOOL Create(CFrameWnd* pParent, UINT nID = AFX_IDW_STATUS_BAR);
    // Pane 0 is the message pane (ID_SEPARATOR), the others indicators with their string's text.
    BOOL SetIndicators(const UINT* pIDArray, int nIDCount);
    void SetPaneText(int nIndex, const CString& text);
    CString GetPaneText(int nIndex) const;
    UINT GetItemID(int nIndex) const { return m_ids[nIndex]; }
    int GetCount() const { return static_cast<int>(m_ids.size()); }
    // Places the panes for the current width.
    void UpdatePanes();

private:
    std::vector<UINT> m_ids;
    std::vector<int> m_widths;
};
