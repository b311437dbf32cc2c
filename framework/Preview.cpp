#include "Preview.h"

#include "FrameWnd.h"
#include "WinApp.h"
#include "FrameworkIds.h"

namespace {
struct PreviewButton {
    UINT nID;
    const char* text;
};
// The bar's buttons, left to right; the fourth reads "&One Page" while two pages show.
const PreviewButton kButtons[] = {
    {AFX_ID_PREVIEW_PRINT, "&Print..."}, {AFX_ID_PREVIEW_NEXT, "&Next Page"},
    {AFX_ID_PREVIEW_PREV, "Pre&v Page"}, {AFX_ID_PREVIEW_NUMPAGE, "&Two Page"},
    {AFX_ID_PREVIEW_CLOSE, "&Close"},
};
constexpr int kButtonWidth = 80;  // at 96 dots per inch; scaled to the screen's
constexpr int kButtonHeight = 22;

// A length in pixels at 96 dots per inch, at the screen's resolution.
int Scaled(int pixels) {
    static const int dpi = [] {
        HDC hdc = GetDC(nullptr);
        int value = hdc != nullptr ? GetDeviceCaps(hdc, LOGPIXELSY) : 96;
        if (hdc != nullptr) ReleaseDC(nullptr, hdc);
        return value > 0 ? value : 96;
    }();
    return MulDiv(pixels, dpi, 96);
}
} // namespace

CPreviewWnd::CPreviewWnd(CView* pView, CFrameWnd* pFrame) : m_pView(pView), m_pFrame(pFrame) {}

CPreviewWnd::~CPreviewWnd() {
    if (m_hAttribDC != nullptr) {
        m_pView->OnEndPrinting(m_hAttribDC, &m_info);
        DeleteDC(m_hAttribDC);
    }
    if (m_hWnd != nullptr) {
        HWND hWnd = m_hWnd;
        ::DestroyWindow(hWnd);
    }
}

BOOL CPreviewWnd::Create() {
    m_info.m_bPreview = TRUE;
    CWinApp* app = AfxGetApp();
    m_hAttribDC = app != nullptr ? app->CreatePrinterDC() : nullptr;
    if (m_hAttribDC != nullptr) {
        m_sizePage = {GetDeviceCaps(m_hAttribDC, HORZRES), GetDeviceCaps(m_hAttribDC, VERTRES)};
    } else {
        // No printer: a letter-size page (8.5 x 11 inches) at the screen's resolution.
        m_hAttribDC = CreateCompatibleDC(nullptr);
        m_sizePage = {GetDeviceCaps(m_hAttribDC, LOGPIXELSX) * 17 / 2,
                      GetDeviceCaps(m_hAttribDC, LOGPIXELSY) * 11};
    }
    m_info.m_rectDraw = {0, 0, m_sizePage.cx, m_sizePage.cy};
    m_pView->OnPreparePrinting(&m_info);
    m_pView->OnBeginPrinting(m_hAttribDC, &m_info);
    m_nPages = app != nullptr && app->m_nNumPreviewPages == 2 ? 2 : 1;

    const char* className =
        RegisterWndClass("BrevixPreview", nullptr, reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1));
    if (!CreateEx(0, className, "", WS_CHILD | WS_CLIPCHILDREN, 0, 0, 0, 0, m_pFrame->GetSafeHwnd(), nullptr))
        return FALSE;
    HFONT hFont = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    for (int i = 0; i < 5; ++i) {
        m_hButtons[i] =
            CreateWindowExA(0, "BUTTON", kButtons[i].text, WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 0, 0, 0, 0,
                            m_hWnd, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kButtons[i].nID)),
                            GetModuleHandleA(nullptr), nullptr);
        ::SendMessageA(m_hButtons[i], WM_SETFONT, reinterpret_cast<WPARAM>(hFont), FALSE);
    }
    m_nBarHeight = Scaled(kButtonHeight) + 8;
    UpdateButtons();
    return TRUE;
}

void CPreviewWnd::Layout() {
    for (int i = 0; i < 5; ++i)
        ::MoveWindow(m_hButtons[i], 4 + i * (Scaled(kButtonWidth) + 4), 4, Scaled(kButtonWidth), Scaled(kButtonHeight),
                     TRUE);
    InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CPreviewWnd::UpdateButtons() {
    UINT last = m_info.m_nMaxPage;
    ::EnableWindow(m_hButtons[1], m_nCurPage + m_nPages - 1 < last);
    ::EnableWindow(m_hButtons[2], m_nCurPage > 1);
    ::EnableWindow(m_hButtons[3], last > 1 || m_nPages == 2);
    SetWindowTextA(m_hButtons[3], m_nPages == 2 ? "&One Page" : "&Two Page");
    InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CPreviewWnd::OnNextPage() {
    if (m_nCurPage + m_nPages - 1 < m_info.m_nMaxPage) ++m_nCurPage;
    UpdateButtons();
}

void CPreviewWnd::OnPrevPage() {
    if (m_nCurPage > 1) --m_nCurPage;
    UpdateButtons();
}

void CPreviewWnd::OnNumPageChange() {
    m_nPages = m_nPages == 1 ? 2 : 1;
    if (CWinApp* app = AfxGetApp()) app->m_nNumPreviewPages = m_nPages;
    if (m_nPages == 2 && m_nCurPage > 1 && m_nCurPage + 1 > m_info.m_nMaxPage) --m_nCurPage;
    UpdateButtons();
}

void CPreviewWnd::OnPreviewPrint() {
    CFrameWnd* pFrame = m_pFrame;
    pFrame->EndPreview();
    pFrame->PostMessage(WM_COMMAND, ID_FILE_PRINT);
}

void CPreviewWnd::OnPreviewClose() {
    m_pFrame->EndPreview();
}

void CPreviewWnd::DrawPage(HDC hdc, const RECT& rcPage, UINT nPage) {
    RECT shadow = rcPage;
    OffsetRect(&shadow, 3, 3);
    FillRect(hdc, &shadow, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    FillRect(hdc, &rcPage, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    FrameRect(hdc, &rcPage, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    if (nPage > m_info.m_nMaxPage) return;
    // The page is drawn in the printer's units, scaled into the page rectangle.
    int saved = SaveDC(hdc);
    SetMapMode(hdc, MM_ANISOTROPIC);
    SetWindowExtEx(hdc, m_sizePage.cx, m_sizePage.cy, nullptr);
    SetViewportExtEx(hdc, rcPage.right - rcPage.left, rcPage.bottom - rcPage.top, nullptr);
    SetViewportOrgEx(hdc, rcPage.left, rcPage.top, nullptr);
    IntersectClipRect(hdc, 0, 0, m_sizePage.cx, m_sizePage.cy);
    SetBkMode(hdc, TRANSPARENT);
    CPrintInfo info = m_info;
    info.m_nCurPage = nPage;
    info.m_rectDraw = {0, 0, m_sizePage.cx, m_sizePage.cy};
    m_pView->OnPrint(hdc, &info);
    RestoreDC(hdc, saved);
}

void CPreviewWnd::OnPaint() {
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(m_hWnd, &ps);
    RECT rc;
    GetClientRect(&rc);
    RECT bar = {rc.left, rc.top, rc.right, rc.top + m_nBarHeight};
    FillRect(hdc, &bar, GetSysColorBrush(COLOR_BTNFACE));
    // Each page as large as fits, keeping the page's proportions.
    int areaWidth = (rc.right - rc.left - 16 * static_cast<int>(m_nPages + 1)) / static_cast<int>(m_nPages);
    int areaHeight = rc.bottom - m_nBarHeight - 32;
    if (areaWidth > 0 && areaHeight > 0 && m_sizePage.cx > 0 && m_sizePage.cy > 0) {
        int height = areaHeight;
        int width = MulDiv(height, m_sizePage.cx, m_sizePage.cy);
        if (width > areaWidth) {
            width = areaWidth;
            height = MulDiv(width, m_sizePage.cy, m_sizePage.cx);
        }
        int total = static_cast<int>(m_nPages) * width + 16 * static_cast<int>(m_nPages - 1);
        int left = (rc.right - rc.left - total) / 2;
        for (UINT i = 0; i < m_nPages; ++i) {
            RECT page = {left, m_nBarHeight + 16, left + width, m_nBarHeight + 16 + height};
            DrawPage(hdc, page, m_nCurPage + i);
            left += width + 16;
        }
    }
    EndPaint(m_hWnd, &ps);
}

LRESULT CPreviewWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE: Layout(); return 0;
    case WM_PAINT: OnPaint(); return 0;
    case WM_ERASEBKGND: {
        RECT rc;
        GetClientRect(&rc);
        FillRect(reinterpret_cast<HDC>(wParam), &rc, GetSysColorBrush(COLOR_APPWORKSPACE));
        return TRUE;
    }
    case WM_CLOSE:
        delete this; // the frame gave this window up in EndPreview
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE) OnPreviewClose();
        if (wParam == VK_NEXT) OnNextPage();
        if (wParam == VK_PRIOR) OnPrevPage();
        return 0;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case AFX_ID_PREVIEW_PRINT: OnPreviewPrint(); return 0;
        case AFX_ID_PREVIEW_NEXT: OnNextPage(); return 0;
        case AFX_ID_PREVIEW_PREV: OnPrevPage(); return 0;
        case AFX_ID_PREVIEW_NUMPAGE: OnNumPageChange(); return 0;
        case AFX_ID_PREVIEW_CLOSE: OnPreviewClose(); return 0;
        default: break;
        }
        break;
    default: break;
    }
    return Default(message, wParam, lParam);
}
