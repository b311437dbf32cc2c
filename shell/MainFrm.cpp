#include "MainFrm.h"

#include <commctrl.h>
#include <shellapi.h>

#include "resources/resource.h"
#include "settings/ChunkSettings.h"

namespace {
// The status bar's panes, left to right.
const UINT kIndicators[] = {ID_SEPARATOR, ID_INDICATOR_CAPS, ID_INDICATOR_NUM, ID_INDICATOR_SCRL};

const char kLevelLabel[] = "Chunk Level (tags)";
const char kNameLabel[] = "Chunk Name (tags and/or attributes)";

// Creates a child window of the toolbar in rect, gives it font and binds it to wnd.
void CreateToolbarChild(CWnd& wnd, DWORD dwExStyle, const char* className, const char* text, DWORD dwStyle,
                        const RECT& rect, HWND hToolBar, UINT nID, HFONT hFont) {
    HWND hWnd = CreateWindowExA(dwExStyle, className, text, WS_CHILD | WS_VISIBLE | dwStyle, rect.left,
                                rect.top, rect.right - rect.left, rect.bottom - rect.top, hToolBar,
                                reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)),
                                GetModuleHandleA(nullptr), nullptr);
    if (hWnd == nullptr) return;
    SendMessageA(hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(hFont), FALSE);
    wnd.Attach(hWnd);
}
} // namespace

RECT CMainFrame::MakePlace(int nIndex, UINT nID, int nWidth) {
    m_wndToolBar.SetButtonInfo(nIndex, nID, TBSTYLE_SEP, nWidth);
    RECT rect = {};
    m_wndToolBar.GetItemRect(nIndex, &rect);
    return rect;
}

int CMainFrame::OnCreate(CREATESTRUCTA* pcs) {
    if (CFrameWnd::OnCreate(pcs) == -1) return -1;
    if (!m_wndToolBar.CreateEx(this, AFX_IDW_TOOLBAR) || !m_wndToolBar.LoadToolBar(IDR_MAINFRAME)) return -1;
    if (!m_wndStatusBar.Create(this, AFX_IDW_STATUS_BAR) ||
        !m_wndStatusBar.SetIndicators(kIndicators, sizeof kIndicators / sizeof kIndicators[0]))
        return -1;

    // W: the average character width of the status bar's device context with the status bar's
    // font in it, less one. The fields take that font, so their places grow with it at higher dpi.
    HWND hStatus = m_wndStatusBar.GetSafeHwnd();
    HFONT hFont = m_wndStatusBar.GetFont();
    HDC hdc = GetDC(hStatus);
    HGDIOBJ hOldFont = hFont != nullptr ? SelectObject(hdc, hFont) : nullptr;
    TEXTMETRICA tm = {};
    GetTextMetricsA(hdc, &tm);
    if (hOldFont != nullptr) SelectObject(hdc, hOldFont);
    ReleaseDC(hStatus, hdc);
    int w = tm.tmAveCharWidth - 1;
    // The buttons, and so the places, are made tall enough for an edit field in that font; at
    // 96 dpi the 16 x 15 images already make them so.
    HWND hToolBar = m_wndToolBar.GetSafeHwnd();
    LRESULT buttonSize = m_wndToolBar.SendMessage(TB_GETBUTTONSIZE);
    int height = tm.tmHeight + 9;
    if (height > HIWORD(buttonSize))
        m_wndToolBar.SendMessage(TB_SETBUTTONSIZE, 0, MAKELPARAM(LOWORD(buttonSize), height));
    ChunkSettings* pSettings = GetChunkSettings();

    RECT rect = MakePlace(8, IDC_LEVEL_LABEL, w * 18);
    OffsetRect(&rect, 3, 3);
    CreateToolbarChild(pSettings->m_levelLabel, 0, "STATIC", kLevelLabel, 0, rect, hToolBar, IDC_LEVEL_LABEL,
                       hFont);
    rect = MakePlace(9, IDC_LEVEL_EDIT, w * 32);
    CreateToolbarChild(pSettings->m_levelEdit, WS_EX_CLIENTEDGE, "EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL,
                       rect, hToolBar, IDC_LEVEL_EDIT, hFont);
    pSettings->m_levelEdit.SetWindowText(pSettings->m_strLevelTags);

    rect = MakePlace(11, IDC_NAME_LABEL, w * 35);
    OffsetRect(&rect, 3, 3);
    CreateToolbarChild(pSettings->m_nameLabel, 0, "STATIC", kNameLabel, 0, rect, hToolBar, IDC_NAME_LABEL,
                       hFont);
    rect = MakePlace(12, IDC_NAME_EDIT, w * 32);
    CreateToolbarChild(pSettings->m_nameEdit, WS_EX_CLIENTEDGE, "EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL, rect,
                       hToolBar, IDC_NAME_EDIT, hFont);
    pSettings->m_nameEdit.SetWindowText(pSettings->m_strNameKeys);
    return 0;
}

void CMainFrame::OnDestroy() {
    CFrameWnd::OnDestroy();
    ChunkSettings* pSettings = GetChunkSettings();
    pSettings->m_strLevelTags = pSettings->GetLevelTagText();
    pSettings->m_strNameKeys = pSettings->GetNameKeyText();
    // The windows go with the toolbar; their objects keep the texts from here on.
    pSettings->m_levelLabel.Detach();
    pSettings->m_levelEdit.Detach();
    pSettings->m_nameLabel.Detach();
    pSettings->m_nameEdit.Detach();
}
