#include "MainFrm.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>

#include "framework/View.h"
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

void CMainFrame::PlaceFields(int nFieldWidth, int nLevelLabelWidth, int nNameLabelWidth) {
    ChunkSettings* pSettings = GetChunkSettings();
    HWND hToolBar = m_wndToolBar.GetSafeHwnd();
    HFONT hFont = m_wndStatusBar.GetFont();
    const bool bCreate = m_nFieldWidth == 0;
    m_nFieldWidth = nFieldWidth;
    m_nLabelsWidth = nLevelLabelWidth + nNameLabelWidth;
    // Each window in its place: made the first time, moved afterwards (the places after a field
    // move with its width).
    auto place = [&](int nIndex, UINT nID, int nWidth, CWnd& wnd, bool bLabel, const char* text) {
        RECT rect = MakePlace(nIndex, nID, nWidth);
        if (bLabel) OffsetRect(&rect, 3, 3);
        if (!bCreate) {
            if (wnd.GetSafeHwnd() != nullptr)
                ::MoveWindow(wnd.GetSafeHwnd(), rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                           TRUE);
        } else if (bLabel) {
            CreateToolbarChild(wnd, 0, "STATIC", text, SS_ENDELLIPSIS, rect, hToolBar, nID, hFont);
        } else {
            CreateToolbarChild(wnd, WS_EX_CLIENTEDGE, "EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL, rect, hToolBar, nID,
                               hFont);
        }
    };
    place(8, IDC_LEVEL_LABEL, nLevelLabelWidth, pSettings->m_levelLabel, true, kLevelLabel);
    place(9, IDC_LEVEL_EDIT, nFieldWidth, pSettings->m_levelEdit, false, nullptr);
    place(11, IDC_NAME_LABEL, nNameLabelWidth, pSettings->m_nameLabel, true, kNameLabel);
    place(12, IDC_NAME_EDIT, nFieldWidth, pSettings->m_nameEdit, false, nullptr);
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
    m_nCharWidth = std::max(1, static_cast<int>(tm.tmAveCharWidth) - 1);
    // The buttons, and so the places, are made tall enough for an edit field in that font; at
    // 96 dpi the 16 x 15 images already make them so.
    LRESULT buttonSize = m_wndToolBar.SendMessage(TB_GETBUTTONSIZE);
    int height = tm.tmHeight + 9;
    if (height > HIWORD(buttonSize))
        m_wndToolBar.SendMessage(TB_SETBUTTONSIZE, 0, MAKELPARAM(LOWORD(buttonSize), height));

    PlaceFields(m_nCharWidth * 32, m_nCharWidth * 18, m_nCharWidth * 35);
    ChunkSettings* pSettings = GetChunkSettings();
    pSettings->m_levelEdit.SetWindowText(pSettings->m_strLevelTags);
    pSettings->m_nameEdit.SetWindowText(pSettings->m_strNameKeys);
    return 0;
}

// A frame narrower than the toolbar takes from the two fields alike, down to 8 characters each;
// narrower still, the labels give up their ends ("..."), down to 4 characters each. From the
// full widths up nothing changes.
void CMainFrame::RecalcLayout() {
    if (m_nFieldWidth != 0 && m_wndToolBar.GetSafeHwnd() != nullptr) {
        RECT client = {}, last = {};
        GetClientRect(&client);
        m_wndToolBar.GetItemRect(m_wndToolBar.GetCount() - 1, &last); // the chunk name field's place
        const int w = m_nCharWidth, fullLabels = w * (18 + 35);
        int room = static_cast<int>(client.right) - 4 - (last.right - 2 * m_nFieldWidth - m_nLabelsWidth);
        int field = std::clamp((room - fullLabels) / 2, w * 8, w * 32);
        int levelLabel = w * 18, nameLabel = w * 35;
        if (room - 2 * field < fullLabels) {
            levelLabel = std::max(w * 4, (room - 2 * field) * 18 / (18 + 35));
            nameLabel = std::max(w * 4, room - 2 * field - levelLabel);
        }
        if (field != m_nFieldWidth || levelLabel + nameLabel != m_nLabelsWidth)
            PlaceFields(field, levelLabel, nameLabel);
    }
    CFrameWnd::RecalcLayout();
}

BOOL CMainFrame::PreTranslateMessage(MSG* pMsg) {
    ChunkSettings* pSettings = GetChunkSettings();
    HWND hLevel = pSettings->m_levelEdit.GetSafeHwnd(), hName = pSettings->m_nameEdit.GetSafeHwnd();
    HWND hView = GetActiveView() != nullptr ? GetActiveView()->GetSafeHwnd() : nullptr;
    bool bPlain = GetKeyState(VK_CONTROL) >= 0 && GetKeyState(VK_MENU) >= 0;
    bool bBack = GetKeyState(VK_SHIFT) < 0;
    bool bInField = pMsg->hwnd == hLevel || pMsg->hwnd == hName;
    if (pMsg->message != WM_KEYDOWN || !bPlain || hView == nullptr || (!bInField && pMsg->hwnd != hView))
        return CFrameWnd::PreTranslateMessage(pMsg);
    HWND hNext = nullptr;
    bool bFields = ::IsWindowVisible(hLevel) && ::IsWindowVisible(hName); // hidden with the toolbar
    if (pMsg->wParam == VK_F6) {
        HWND cycle[] = {hView, hLevel, hName};
        int now = pMsg->hwnd == hView ? 0 : pMsg->hwnd == hLevel ? 1 : 2;
        hNext = bFields ? cycle[(now + (bBack ? 2 : 1)) % 3] : hView;
    } else if (pMsg->wParam == VK_TAB && bFields) {
        hNext = pMsg->hwnd == hView ? (bBack ? hName : hLevel) : pMsg->hwnd == hLevel ? hName : hLevel;
    } else if (pMsg->wParam == VK_ESCAPE && bInField) {
        hNext = hView;
    }
    if (hNext == nullptr) return CFrameWnd::PreTranslateMessage(pMsg);
    ::SetFocus(hNext);
    if (hNext != hView) ::SendMessageA(hNext, EM_SETSEL, 0, -1); // as a dialog selects a field
    return TRUE;
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
