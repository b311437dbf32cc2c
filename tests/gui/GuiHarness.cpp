#include "GuiHarness.h"

#include "framework/FrameWnd.h"
#include "framework/WinApp.h"

namespace {
using namespace gui;
const Case* g_case = nullptr;

// Waits for the main frame, runs the case's test and closes the frame.
DWORD WINAPI TestThread(void*) {
    if (g_case->waitForFrame) {
        WaitFor(
            [] {
                CWinApp* app = AfxGetApp();
                g_frame =
                    app != nullptr && app->m_pMainWnd != nullptr ? app->m_pMainWnd->GetSafeHwnd() : nullptr;
                return IsWindowVisible(g_frame) != 0;
            },
            8000);
        if (!CHECK(IsWindowVisible(g_frame))) return 0;
        Settle();
    }
    if (g_case->during) g_case->during();
    if (IsWindow(g_frame)) PostMessageA(g_frame, WM_CLOSE, 0, 0);
    return 0;
}

DWORD WINAPI Watchdog(void*) {
    Sleep(90000);
    Log("  FAILED: the run did not end within 90 s");
    ExitProcess(3);
}
} // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int nCmdShow) {
    std::vector<CString> args = AfxCommandLineArgs();
    for (const Case& c : g_cases)
        if (args.empty() || args[0] == "--list") {
            Log(c.name);
        } else if (args[0] == c.name) {
            g_case = &c;
        }
    if (g_case == nullptr) return args.empty() || args[0] == "--list" ? 0 : (Log("no case " + args[0]), 2);
    CreateDirectoryA(kTempDir.c_str(), nullptr);
    std::vector<CString> appArgs = g_case->prepare ? g_case->prepare() : std::vector<CString>();
    // The pointer starts away from the windows: a run before may have left it over a button.
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
    CreateThread(nullptr, 0, Watchdog, nullptr, 0, nullptr);
    HANDLE hTest = CreateThread(nullptr, 0, TestThread, nullptr, 0, nullptr);
    int exitCode = AfxWinMain(hInstance, appArgs, nCmdShow);
    WaitForSingleObject(hTest, 30000);
    if (g_case->after) g_case->after(exitCode);
    Log(std::string(g_failures == 0 ? "PASS " : "FAIL ") + g_case->name);
    return g_failures == 0 ? 0 : 1;
}
