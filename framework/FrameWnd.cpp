#include "FrameWnd.h"

#include <commctrl.h>
#include <dde.h>
#include <shellapi.h>

#include <cstring>

#include "ControlBar.h"
#include "DocTemplate.h"
#include "Document.h"
#include "Preview.h"
#include "View.h"
#include "WinApp.h"
#include "FrameworkIds.h"

namespace {
// The prompt (text before "\n") or the tooltip (text after it) of a command's string.
CString CommandString(UINT nID, bool tooltip) {
    CString text = AfxLoadString(nID);
    size_t newline = text.find('\n');
    if (tooltip) return newline == CString::npos ? CString() : text.substr(newline + 1);
    return text.substr(0, newline);
}

bool NoModifiers() {
    return GetKeyState(VK_SHIFT) >= 0 && GetKeyState(VK_CONTROL) >= 0 && GetKeyState(VK_MENU) >= 0;
}
} // namespace

CFrameWnd::CFrameWnd() = default;

CFrameWnd::~CFrameWnd() {
    delete m_pViewActive;
}

CDocument* CFrameWnd::GetActiveDocument() const {
    return m_pViewActive != nullptr ? m_pViewActive->GetDocument() : nullptr;
}

BOOL CFrameWnd::PreCreateWindow(CREATESTRUCTA&) {
    return TRUE;
}

BOOL CFrameWnd::LoadFrame(UINT nIDResource, CSingleDocTemplate* pTemplate, CDocument* pDocument) {
    m_nIDResource = nIDResource;
    m_pTemplate = pTemplate;
    m_pInitialDoc = pDocument;
    HINSTANCE hInst = GetModuleHandleA(nullptr);
    HICON hIcon = LoadIconA(hInst, MAKEINTRESOURCEA(nIDResource));
    const char* className =
        RegisterWndClass("BrevixFrame", hIcon, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), CS_DBLCLKS);
    CWinApp* app = AfxGetApp();
    CString title = app != nullptr ? app->m_pszAppName : CString();
    CREATESTRUCTA cs = {};
    cs.lpszClass = className;
    cs.lpszName = title.c_str();
    cs.style = WS_OVERLAPPEDWINDOW;
    cs.x = cs.y = cs.cx = cs.cy = CW_USEDEFAULT;
    cs.hMenu = LoadMenuA(hInst, MAKEINTRESOURCEA(nIDResource));
    if (!PreCreateWindow(cs)) return FALSE;
    m_hAccelTable = LoadAcceleratorsA(hInst, MAKEINTRESOURCEA(nIDResource));
    // On failure the window is destroyed at once and this object with it.
    return CreateEx(cs.dwExStyle, cs.lpszClass, cs.lpszName, cs.style, cs.x, cs.y, cs.cx, cs.cy, nullptr,
                    cs.hMenu);
}

int CFrameWnd::OnCreate(CREATESTRUCTA*) {
    if (m_pTemplate == nullptr || m_pTemplate->m_pNewView == nullptr) return 0;
    CView* pView = m_pTemplate->m_pNewView();
    if (!pView->Create(this, AFX_IDW_PANE_FIRST)) {
        delete pView;
        return -1;
    }
    m_pViewActive = pView;
    if (m_pInitialDoc != nullptr) m_pInitialDoc->AddView(pView);
    return 0;
}

void CFrameWnd::OnDestroy() {
    m_pPreview.reset();
    if (m_pViewActive != nullptr && m_pViewActive->GetDocument() != nullptr)
        m_pViewActive->GetDocument()->RemoveView(m_pViewActive);
}

void CFrameWnd::OnClose() {
    CDocument* pDocument = GetActiveDocument();
    if (pDocument != nullptr && !pDocument->SaveModified()) return;
    DestroyWindow();
}

void CFrameWnd::PostNcDestroy() {
    if (m_pTemplate != nullptr) m_pTemplate->OnFrameDestroyed(this);
    CWinApp* app = AfxGetApp();
    if (app != nullptr && app->m_pMainWnd == this) {
        app->m_pMainWnd = nullptr;
        PostQuitMessage(0);
    }
    delete this;
}

void CFrameWnd::OnUpdateFrameTitle() {
    CWinApp* app = AfxGetApp();
    CDocument* pDocument = GetActiveDocument();
    CString title = app != nullptr ? app->m_pszAppName : CString();
    if (pDocument != nullptr) title = pDocument->GetTitle() + " - " + title;
    SetWindowText(title);
}

void CFrameWnd::RecalcLayout() {
    if (m_hWnd == nullptr) return;
    RECT rc;
    GetClientRect(&rc);
    if (m_pPreview) {
        m_pPreview->MoveWindow(rc);
        return;
    }
    for (CControlBar* pBar : m_bars) {
        if (!pBar->IsWindowVisible()) continue;
        if (pBar->GetDlgCtrlID() == AFX_IDW_STATUS_BAR) {
            pBar->SendMessage(WM_SIZE);
            static_cast<CStatusBar*>(pBar)->UpdatePanes();
            rc.bottom -= pBar->GetLayoutHeight();
        } else {
            pBar->SendMessage(TB_AUTOSIZE);
            int height = pBar->GetLayoutHeight();
            RECT bar = {rc.left, rc.top, rc.right, rc.top + height};
            pBar->MoveWindow(bar);
            rc.top += height;
        }
    }
    if (m_pViewActive != nullptr) m_pViewActive->MoveWindow(rc);
}

void CFrameWnd::InitialUpdateFrame(CDocument* pDocument) {
    if (m_pViewActive != nullptr && m_pViewActive->GetDocument() == pDocument)
        m_pViewActive->OnInitialUpdate();
    OnUpdateFrameTitle();
}

void CFrameWnd::ActivateFrame(int nCmdShow) {
    if (nCmdShow == -1) nCmdShow = IsIconic(m_hWnd) ? SW_RESTORE : SW_SHOW;
    ShowWindow(nCmdShow);
    BringWindowToTop(m_hWnd);
    SetForegroundWindow(m_hWnd);
}

CControlBar* CFrameWnd::GetControlBar(UINT nID) const {
    for (CControlBar* pBar : m_bars)
        if (static_cast<UINT>(pBar->GetDlgCtrlID()) == nID) return pBar;
    return nullptr;
}

void CFrameWnd::SetMessageText(const CString& text) {
    auto* pStatus = static_cast<CStatusBar*>(GetControlBar(AFX_IDW_STATUS_BAR));
    if (pStatus != nullptr && pStatus->GetSafeHwnd() != nullptr) pStatus->SetPaneText(0, text);
}

void CFrameWnd::SetIdleMessage() {
    m_bPromptShown = FALSE;
    SetMessageText(AfxLoadString(AFX_IDS_IDLEMESSAGE));
}

void CFrameWnd::OnIdleUpdateCmdUI() {
    if (m_hWnd == nullptr) return;
    if (auto* pToolBar = static_cast<CToolBar*>(GetControlBar(AFX_IDW_TOOLBAR))) {
        for (int i = 0; i < pToolBar->GetCount(); ++i) {
            TBBUTTON button = {};
            pToolBar->SendMessage(TB_GETBUTTON, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&button));
            if (button.fsStyle & TBSTYLE_SEP) continue;
            CCmdUI state(static_cast<UINT>(button.idCommand));
            state.m_pOther = pToolBar->GetSafeHwnd();
            state.DoUpdate(this);
        }
    }
    if (auto* pStatus = static_cast<CStatusBar*>(GetControlBar(AFX_IDW_STATUS_BAR))) {
        for (int i = 1; i < pStatus->GetCount(); ++i) {
            UINT id = pStatus->GetItemID(i);
            int key = id == ID_INDICATOR_CAPS ? VK_CAPITAL : id == ID_INDICATOR_NUM ? VK_NUMLOCK : VK_SCROLL;
            CString text = (GetKeyState(key) & 1) ? AfxLoadString(id) : CString();
            if (pStatus->GetPaneText(i) != text) pStatus->SetPaneText(i, text);
        }
        if (!m_bPromptShown && pStatus->GetPaneText(0) != AfxLoadString(AFX_IDS_IDLEMESSAGE))
            SetIdleMessage();
    }
}

BOOL CFrameWnd::PreTranslateMessage(MSG* pMsg) {
    if (m_hWnd == nullptr || (pMsg->hwnd != m_hWnd && !IsChild(m_hWnd, pMsg->hwnd))) return FALSE;
    if (pMsg->message != WM_KEYDOWN && pMsg->message != WM_SYSKEYDOWN) return FALSE;
    if (pMsg->wParam == VK_F1 && NoModifiers()) {
        SendMessage(WM_COMMAND, ID_HELP);
        return TRUE;
    }
    if (m_hAccelTable == nullptr) return FALSE;
    // The accelerator table, matched here so that every accelerator command passes the
    // enabling check of ExecuteCommand whatever state the menu was last drawn in.
    ACCEL accels[64];
    int count = CopyAcceleratorTableA(m_hAccelTable, accels, 64);
    BYTE shift = GetKeyState(VK_SHIFT) < 0 ? FSHIFT : 0;
    BYTE control = GetKeyState(VK_CONTROL) < 0 ? FCONTROL : 0;
    BYTE alt = GetKeyState(VK_MENU) < 0 ? FALT : 0;
    for (int i = 0; i < count; ++i) {
        const ACCEL& accel = accels[i];
        if (!(accel.fVirt & FVIRTKEY) || accel.key != pMsg->wParam) continue;
        if ((accel.fVirt & (FSHIFT | FCONTROL | FALT)) != (shift | control | alt)) continue;
        SendMessage(WM_COMMAND, MAKEWPARAM(accel.cmd, 1), 0);
        return TRUE;
    }
    return FALSE;
}

void CFrameWnd::ExecuteCommand(UINT nID, BOOL bFromToolBar) {
    CCmdUI state(nID);
    state.DoUpdate(this);
    if (!state.m_bEnabled) return;
    try {
        OnCmdMsg(nID, CmdCode::Run, nullptr);
    } catch (...) {
        AfxReportException(bFromToolBar ? kInternalError : kCommandFailed);
    }
}

BOOL CFrameWnd::OnCmdMsg(UINT nID, CmdCode code, CCmdUI* pCmdUI) {
    if (m_pViewActive != nullptr && m_pViewActive->OnCmdMsg(nID, code, pCmdUI)) return TRUE;
    static const CmdMapEntry<CFrameWnd> map[] = {
        OnCommandRangeEntry<CFrameWnd>(ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR, &CFrameWnd::OnBarCheck),
        OnUpdateRangeEntry<CFrameWnd>(ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR,
                                      &CFrameWnd::OnUpdateControlBarMenu),
    };
    if (DispatchCmdMap(this, map, nID, code, pCmdUI)) return TRUE;
    CWinApp* app = AfxGetApp();
    return app != nullptr && app->OnCmdMsg(nID, code, pCmdUI);
}

void CFrameWnd::OnBarCheck(UINT nID) {
    CControlBar* pBar = GetControlBar(nID);
    if (pBar == nullptr) return;
    pBar->ShowWindow(pBar->IsWindowVisible() ? SW_HIDE : SW_SHOW);
    RecalcLayout();
}

void CFrameWnd::OnUpdateControlBarMenu(CCmdUI* pCmdUI) {
    // While the preview shows, the bars stay hidden.
    CControlBar* pBar = GetControlBar(pCmdUI->m_nID);
    pCmdUI->Enable(pBar != nullptr && !m_pPreview);
    pCmdUI->SetCheck(pBar != nullptr && pBar->IsWindowVisible());
}

void CFrameWnd::OnInitMenuPopup(HMENU hMenu) {
    bool recentDone = false;
    for (int i = 0; i < GetMenuItemCount(hMenu); ++i) {
        UINT id = GetMenuItemID(hMenu, i);
        if (id == 0 || id == static_cast<UINT>(-1)) continue;
        // The recent-file entries are updated once, through the first one.
        const bool recent = id >= ID_FILE_MRU_FILE1 && id <= ID_FILE_MRU_LAST;
        if (recent && recentDone) continue;
        recentDone = recentDone || recent;
        CCmdUI state(recent ? ID_FILE_MRU_FILE1 : id);
        state.m_pMenu = hMenu;
        state.m_nIndex = static_cast<UINT>(i);
        state.DoUpdate(this);
    }
}

void CFrameWnd::OnMenuSelect(UINT nItemID, UINT nFlags, HMENU hMenu) {
    if (nFlags == 0xFFFF && hMenu == nullptr) {
        SetIdleMessage();
        return;
    }
    m_bPromptShown = TRUE;
    if (nFlags & (MF_POPUP | MF_SEPARATOR | MF_SYSMENU))
        SetMessageText(CString());
    else
        SetMessageText(CommandString(nItemID, false));
}

LRESULT CFrameWnd::OnNotify(NMHDR* pnmh) {
    switch (pnmh->code) {
    case TTN_GETDISPINFOA: {
        auto* info = reinterpret_cast<NMTTDISPINFOA*>(pnmh);
        CString tip = CommandString(static_cast<UINT>(pnmh->idFrom), true);
        lstrcpynA(info->szText, tip.c_str(), sizeof info->szText);
        info->lpszText = info->szText;
        return 0;
    }
    case TTN_GETDISPINFOW: {
        auto* info = reinterpret_cast<NMTTDISPINFOW*>(pnmh);
        CString tip = CommandString(static_cast<UINT>(pnmh->idFrom), true);
        MultiByteToWideChar(CP_ACP, 0, tip.c_str(), -1, info->szText, sizeof info->szText / sizeof(WCHAR));
        info->lpszText = info->szText;
        return 0;
    }
    case TBN_HOTITEMCHANGE: {
        auto* hot = reinterpret_cast<NMTBHOTITEM*>(pnmh);
        CString prompt =
            (hot->dwFlags & HICF_LEAVING) ? CString() : CommandString(static_cast<UINT>(hot->idNew), false);
        if (prompt.empty()) {
            SetIdleMessage();
        } else {
            m_bPromptShown = TRUE;
            SetMessageText(prompt);
        }
        return 0;
    }
    case NM_CUSTOMDRAW: {
        CControlBar* pToolBar = GetControlBar(AFX_IDW_TOOLBAR);
        if (pToolBar == nullptr || pnmh->hwndFrom != pToolBar->GetSafeHwnd()) break;
        auto* draw = reinterpret_cast<NMCUSTOMDRAW*>(pnmh);
        if (draw->dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYPOSTPAINT;
        if (draw->dwDrawStage == CDDS_POSTPAINT) static_cast<CToolBar*>(pToolBar)->DrawGripper(draw->hdc);
        return CDRF_DODEFAULT;
    }
    default: break;
    }
    return Default(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(pnmh));
}

void CFrameWnd::OnDropFiles(HDROP hDrop) {
    ActivateFrame();
    UINT count = DragQueryFileA(hDrop, 0xFFFFFFFF, nullptr, 0);
    CWinApp* app = AfxGetApp();
    for (UINT i = 0; i < count && app != nullptr; ++i) {
        // Whole, however long: a name cut short could be another file's.
        CString path(DragQueryFileA(hDrop, i, nullptr, 0) + 1, '\0');
        path.resize(DragQueryFileA(hDrop, i, &path[0], static_cast<UINT>(path.size())));
        app->OpenDocumentFile(path);
    }
    DragFinish(hDrop);
}

LRESULT CFrameWnd::OnDdeInitiate(HWND hClient, ATOM aApp, ATOM aTopic) {
    CWinApp* app = AfxGetApp();
    if (app == nullptr || app->m_atomApp == 0) return 0;
    if ((aApp == 0 || aApp == app->m_atomApp) && (aTopic == 0 || aTopic == app->m_atomSystemTopic)) {
        // The answer carries new references to the two atoms, which the client deletes.
        GlobalAddAtomA(app->m_pszExeName.c_str());
        GlobalAddAtomA("system");
        ::SendMessageA(hClient, WM_DDE_ACK, reinterpret_cast<WPARAM>(m_hWnd),
                       MAKELPARAM(app->m_atomApp, app->m_atomSystemTopic));
    }
    return 0;
}

void CFrameWnd::OnDdeExecute(HWND hClient, LPARAM lParam) {
    UINT_PTR unused = 0;
    UINT_PTR hData = 0;
    UnpackDDElParam(WM_DDE_EXECUTE, lParam, &unused, &hData);
    CString command;
    if (const char* text = static_cast<const char*>(GlobalLock(reinterpret_cast<HGLOBAL>(hData)))) {
        command = text;
        GlobalUnlock(reinterpret_cast<HGLOBAL>(hData));
    }
    CWinApp* app = AfxGetApp();
    BOOL bDone = FALSE;
    try {
        bDone = app != nullptr && app->OnDDECommand(command);
    } catch (...) {
        AfxReportException(kCommandFailed);
    }
    DDEACK ack = {};
    ack.fAck = bDone ? 1 : 0;
    WORD status = 0;
    std::memcpy(&status, &ack, sizeof status);
    ::PostMessageA(hClient, WM_DDE_ACK, reinterpret_cast<WPARAM>(m_hWnd),
                   ReuseDDElParam(lParam, WM_DDE_EXECUTE, WM_DDE_ACK, status, hData));
}

void CFrameWnd::BeginPreview(std::unique_ptr<CPreviewWnd> pPreview) {
    m_pPreview = std::move(pPreview);
    if (m_pViewActive != nullptr) m_pViewActive->ShowWindow(SW_HIDE);
    // The bars would lie over the preview's own button bar and take its clicks.
    for (CControlBar* pBar : m_bars) {
        if (!pBar->IsWindowVisible()) continue;
        pBar->ShowWindow(SW_HIDE);
        m_barsHidden.push_back(pBar);
    }
    RecalcLayout();
    m_pPreview->ShowWindow(SW_SHOW);
    SetFocus(m_pPreview->GetSafeHwnd());
}

void CFrameWnd::EndPreview() {
    if (!m_pPreview) return;
    // The preview may be ending from inside one of its own handlers: destroy it later.
    CPreviewWnd* pPreview = m_pPreview.release();
    pPreview->ShowWindow(SW_HIDE);
    pPreview->PostMessage(WM_CLOSE);
    for (CControlBar* pBar : m_barsHidden)
        pBar->ShowWindow(SW_SHOW);
    m_barsHidden.clear();
    if (m_pViewActive != nullptr) {
        m_pViewActive->ShowWindow(SW_SHOW);
        SetFocus(m_pViewActive->GetSafeHwnd());
    }
    RecalcLayout();
}

LRESULT CFrameWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: return OnCreate(reinterpret_cast<CREATESTRUCTA*>(lParam));
    case WM_DESTROY: OnDestroy(); return 0;
    case WM_CLOSE: OnClose(); return 0;
    case WM_SIZE:
        if (wParam != SIZE_MINIMIZED) RecalcLayout();
        return 0;
    case WM_SETFOCUS:
        if (m_pPreview)
            SetFocus(m_pPreview->GetSafeHwnd());
        else if (m_pViewActive != nullptr)
            SetFocus(m_pViewActive->GetSafeHwnd());
        return 0;
    case WM_COMMAND: {
        HWND hCtl = reinterpret_cast<HWND>(lParam);
        CControlBar* pToolBar = GetControlBar(AFX_IDW_TOOLBAR);
        if (hCtl == nullptr) {
            ExecuteCommand(LOWORD(wParam), FALSE); // menu or accelerator
            return 0;
        }
        if (pToolBar != nullptr && hCtl == pToolBar->GetSafeHwnd()) {
            ExecuteCommand(LOWORD(wParam), TRUE);
            return 0;
        }
        break;
    }
    case WM_INITMENUPOPUP:
        if (!HIWORD(lParam)) OnInitMenuPopup(reinterpret_cast<HMENU>(wParam));
        return 0;
    case WM_MENUSELECT:
        OnMenuSelect(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HMENU>(lParam));
        return 0;
    case WM_EXITMENULOOP: SetIdleMessage(); return 0;
    case WM_NOTIFY: return OnNotify(reinterpret_cast<NMHDR*>(lParam));
    case WM_DROPFILES: OnDropFiles(reinterpret_cast<HDROP>(wParam)); return 0;
    case WM_HELP:
        if (NoModifiers()) SendMessage(WM_COMMAND, ID_HELP);
        return TRUE;
    case WM_DDE_INITIATE:
        return OnDdeInitiate(reinterpret_cast<HWND>(wParam), LOWORD(lParam), HIWORD(lParam));
    case WM_DDE_EXECUTE: OnDdeExecute(reinterpret_cast<HWND>(wParam), lParam); return 0;
    case WM_DDE_TERMINATE:
        ::PostMessageA(reinterpret_cast<HWND>(wParam), WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(m_hWnd), 0);
        return 0;
    default: break;
    }
    return Default(message, wParam, lParam);
}
