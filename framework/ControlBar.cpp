#include "ControlBar.h"

#include <commctrl.h>

#include "FrameWnd.h"
#include "WinApp.h"

int CControlBar::GetLayoutHeight() const {
    if (m_hWnd == nullptr || !IsWindowVisible()) return 0;
    RECT rc;
    GetWindowRect(m_hWnd, &rc);
    return rc.bottom - rc.top;
}

CToolBar::~CToolBar() {
    if (m_hBitmap != nullptr) DeleteObject(m_hBitmap);
}

BOOL CToolBar::CreateEx(CFrameWnd* pParent, UINT nID) {
    DWORD style =
        WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_TOP | CCS_NODIVIDER;
    HWND hWnd = CreateWindowExA(0, TOOLBARCLASSNAMEA, nullptr, style, 0, 0, 0, 0, pParent->GetSafeHwnd(),
                                reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)),
                                GetModuleHandleA(nullptr), nullptr);
    if (hWnd == nullptr) return FALSE;
    Attach(hWnd);
    SendMessage(TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON));
    SendMessage(TB_SETINDENT, kGripperIndent);
    pParent->AddControlBar(this);
    return TRUE;
}

BOOL CToolBar::LoadToolBar(UINT nIDResource) {
    // The toolbar resource: image width, image height, entry count, then the entry ids, 0 for a
    // separator. Microsoft's compiler writes version 1 first and 16-bit numbers; GNU windres
    // writes no version and 32-bit numbers.
    HINSTANCE hInst = GetModuleHandleA(nullptr);
    HRSRC hRsrc = FindResourceA(hInst, MAKEINTRESOURCEA(nIDResource), MAKEINTRESOURCEA(241));
    HGLOBAL hGlobal = hRsrc != nullptr ? LoadResource(hInst, hRsrc) : nullptr;
    const WORD* data = hGlobal != nullptr ? static_cast<const WORD*>(LockResource(hGlobal)) : nullptr;
    DWORD size = hRsrc != nullptr ? SizeofResource(hInst, hRsrc) : 0;
    if (data == nullptr || size < 8) return FALSE;
    std::vector<UINT> numbers;
    if (data[0] == 1) {
        numbers.assign(data + 1, data + size / sizeof(WORD));
    } else {
        const DWORD* words = reinterpret_cast<const DWORD*>(data);
        numbers.assign(words, words + size / sizeof(DWORD));
    }
    if (numbers.size() < 3) return FALSE;
    int width = static_cast<int>(numbers[0]), height = static_cast<int>(numbers[1]);
    int count = static_cast<int>(numbers[2]);
    if (numbers.size() < static_cast<size_t>(count) + 3) return FALSE;
    const UINT* items = numbers.data() + 3;

    HBITMAP hBitmap = CreateMappedBitmap(hInst, static_cast<INT_PTR>(nIDResource), 0, nullptr, 0);
    if (hBitmap == nullptr) return FALSE;
    // Above 96 dpi the images grow with the screen's dpi, smoothed.
    HDC hScreen = GetDC(nullptr);
    int dpi = GetDeviceCaps(hScreen, LOGPIXELSY);
    BITMAP bm = {};
    GetObjectA(hBitmap, sizeof bm, &bm);
    if (dpi > 96 && bm.bmWidth > 0) {
        int newWidth = MulDiv(bm.bmWidth, dpi, 96), newHeight = MulDiv(bm.bmHeight, dpi, 96);
        HDC hFrom = CreateCompatibleDC(hScreen), hTo = CreateCompatibleDC(hScreen);
        HBITMAP hScaled = CreateCompatibleBitmap(hScreen, newWidth, newHeight);
        HGDIOBJ hOldFrom = SelectObject(hFrom, hBitmap), hOldTo = SelectObject(hTo, hScaled);
        SetStretchBltMode(hTo, HALFTONE);
        SetBrushOrgEx(hTo, 0, 0, nullptr);
        StretchBlt(hTo, 0, 0, newWidth, newHeight, hFrom, 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
        SelectObject(hFrom, hOldFrom);
        SelectObject(hTo, hOldTo);
        DeleteDC(hFrom);
        DeleteDC(hTo);
        DeleteObject(hBitmap);
        hBitmap = hScaled;
        width = MulDiv(width, dpi, 96);
        height = MulDiv(height, dpi, 96);
    }
    ReleaseDC(nullptr, hScreen);
    if (m_hBitmap != nullptr) DeleteObject(m_hBitmap);
    m_hBitmap = hBitmap; // the toolbar draws from it but does not own it
    SendMessage(TB_SETBITMAPSIZE, 0, MAKELONG(width, height));
    int images = 0;
    for (int i = 0; i < count; ++i)
        images += items[i] != 0;
    TBADDBITMAP bitmap = {nullptr, reinterpret_cast<UINT_PTR>(hBitmap)};
    if (SendMessage(TB_ADDBITMAP, static_cast<WPARAM>(images), reinterpret_cast<LPARAM>(&bitmap)) == -1)
        return FALSE;

    int image = 0;
    for (int i = 0; i < count; ++i) {
        TBBUTTON button = {};
        if (items[i] == 0) {
            button.fsStyle = TBSTYLE_SEP;
        } else {
            button.iBitmap = image++;
            button.idCommand = static_cast<int>(items[i]);
            button.fsState = TBSTATE_ENABLED;
            button.fsStyle = TBSTYLE_BUTTON;
        }
        if (!SendMessage(TB_ADDBUTTONSA, 1, reinterpret_cast<LPARAM>(&button))) return FALSE;
    }
    SendMessage(TB_AUTOSIZE);
    return TRUE;
}

int CToolBar::GetCount() const {
    return static_cast<int>(SendMessage(TB_BUTTONCOUNT));
}

void CToolBar::SetButtonInfo(int nIndex, UINT nID, UINT nStyle, int iImage) {
    TBBUTTONINFOA info = {};
    info.cbSize = sizeof info;
    info.dwMask = TBIF_BYINDEX | TBIF_COMMAND | TBIF_STYLE | TBIF_SIZE;
    info.idCommand = static_cast<int>(nID);
    info.fsStyle = static_cast<BYTE>(nStyle);
    info.cx = static_cast<WORD>(iImage);
    SendMessage(TB_SETBUTTONINFOA, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(&info));
}

void CToolBar::GetItemRect(int nIndex, RECT* pRect) const {
    SendMessage(TB_GETITEMRECT, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(pRect));
}

void CToolBar::DrawGripper(HDC hdc) const {
    RECT rc;
    GetClientRect(&rc);
    RECT grip = {2, rc.top + 2, 5, rc.bottom - 2};
    DrawEdge(hdc, &grip, BDR_RAISEDINNER, BF_RECT);
}

BOOL CStatusBar::Create(CFrameWnd* pParent, UINT nID) {
    HWND hWnd = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0,
                                pParent->GetSafeHwnd(), reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)),
                                GetModuleHandleA(nullptr), nullptr);
    if (hWnd == nullptr) return FALSE;
    Attach(hWnd);
    pParent->AddControlBar(this);
    return TRUE;
}

BOOL CStatusBar::SetIndicators(const UINT* pIDArray, int nIDCount) {
    m_ids.assign(pIDArray, pIDArray + nIDCount);
    m_widths.assign(m_ids.size(), 0);
    HDC hdc = GetDC(m_hWnd);
    HFONT hFont = GetFont();
    HGDIOBJ old = hFont != nullptr ? SelectObject(hdc, hFont) : nullptr;
    BOOL loaded = TRUE;
    for (size_t i = 1; i < m_ids.size() && loaded; ++i) {
        CString text = AfxLoadString(m_ids[i]);
        loaded = !text.empty();
        SIZE size = {};
        GetTextExtentPoint32A(hdc, text.c_str(), static_cast<int>(text.size()), &size);
        m_widths[i] = size.cx + 12;
    }
    if (old != nullptr) SelectObject(hdc, old);
    ReleaseDC(m_hWnd, hdc);
    if (!loaded) return FALSE;
    UpdatePanes();
    return TRUE;
}

void CStatusBar::UpdatePanes() {
    if (m_hWnd == nullptr || m_ids.empty()) return;
    RECT rc;
    GetClientRect(&rc);
    int right = rc.right - GetSystemMetrics(SM_CXVSCROLL); // room for the size grip
    std::vector<int> edges(m_ids.size());
    for (size_t i = m_ids.size(); i-- > 0;) {
        edges[i] = right;
        right -= m_widths[i];
    }
    edges.back() = -1;
    SendMessage(SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
}

void CStatusBar::SetPaneText(int nIndex, const CString& text) {
    WPARAM how = static_cast<WPARAM>(nIndex) | (nIndex == 0 ? SBT_NOBORDERS : 0);
    SendMessage(SB_SETTEXTA, how, reinterpret_cast<LPARAM>(text.c_str()));
}

CString CStatusBar::GetPaneText(int nIndex) const {
    int length = LOWORD(SendMessage(SB_GETTEXTLENGTHA, static_cast<WPARAM>(nIndex)));
    CString text(static_cast<size_t>(length) + 1, '\0');
    SendMessage(SB_GETTEXTA, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(static_cast<size_t>(length));
    return text;
}
