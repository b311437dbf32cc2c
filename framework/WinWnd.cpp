#include "WinWnd.h"

namespace {
const char* const kObjectProp = "Brevix.CWinWnd";
} // namespace

CWinWnd::~CWinWnd() {
    if (m_hWnd != nullptr && FromHandlePermanent(m_hWnd) == this) RemovePropA(m_hWnd, kObjectProp);
}

const char* CWinWnd::RegisterWndClass(const char* name, HICON hIcon, HBRUSH hBackground, UINT style) {
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof(wc);
    if (GetClassInfoExA(GetModuleHandleA(nullptr), name, &wc)) return name;
    wc.cbSize = sizeof(wc);
    wc.style = style;
    wc.lpfnWndProc = StaticWndProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hIcon = hIcon;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = hBackground;
    wc.lpszClassName = name;
    RegisterClassExA(&wc);
    return name;
}

BOOL CWinWnd::CreateEx(DWORD dwExStyle, const char* className, const char* text, DWORD dwStyle, int x, int y,
                       int cx, int cy, HWND hParent, HMENU hMenu) {
    HWND hWnd = CreateWindowExA(dwExStyle, className, text, dwStyle, x, y, cx, cy, hParent, hMenu,
                                GetModuleHandleA(nullptr), this);
    return hWnd != nullptr;
}

CWinWnd* CWinWnd::FromHandlePermanent(HWND hWnd) {
    return hWnd != nullptr ? static_cast<CWinWnd*>(GetPropA(hWnd, kObjectProp)) : nullptr;
}

void CWinWnd::DestroyWindow() {
    if (m_hWnd != nullptr) ::DestroyWindow(m_hWnd);
}

LRESULT CWinWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return Default(message, wParam, lParam);
}

LRESULT CWinWnd::Default(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(m_hWnd, message, wParam, lParam);
}

LRESULT CALLBACK CWinWnd::StaticWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CWinWnd* pWnd = FromHandlePermanent(hWnd);
    if (pWnd == nullptr && message == WM_NCCREATE) {
        pWnd = static_cast<CWinWnd*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        SetPropA(hWnd, kObjectProp, pWnd);
        pWnd->Attach(hWnd);
    }
    if (pWnd == nullptr) return DefWindowProcA(hWnd, message, wParam, lParam);
    LRESULT result = pWnd->WindowProc(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        RemovePropA(hWnd, kObjectProp);
        pWnd->Detach();
        pWnd->PostNcDestroy();
    }
    return result;
}

void CenterWindowOn(HWND hWnd, HWND hOwner) {
    RECT window, area;
    GetWindowRect(hWnd, &window);
    if (hOwner != nullptr && !IsIconic(hOwner))
        GetWindowRect(hOwner, &area);
    else
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    int x = area.left + ((area.right - area.left) - (window.right - window.left)) / 2;
    int y = area.top + ((area.bottom - area.top) - (window.bottom - window.top)) / 2;
    SetWindowPos(hWnd, nullptr, x < 0 ? 0 : x, y < 0 ? 0 : y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
