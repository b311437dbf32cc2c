// The program scripts/screenshots.sh takes its pictures from: it runs Brevix with the bundled
// sample and poses one window after another (the main window, the open File menu, print preview,
// the About box, the output folder picker, the Process Log after a run, the Settings dialog, the
// window half a small screen wide, the box for a source too large and the help topic it opens).
// Each pose writes C:\shots\<name>.ready with the window's rectangle, "WxH+X+Y", and waits for
// the script to touch <name>.done. It drives the windows with the GUI tests' harness:
//   brevix-poses.exe shots
#include "GuiHarness.h"

#include "framework/FrameWnd.h"
#include "resources/resource.h"

using namespace gui;

namespace {
void Pose(HWND hWnd, const char* name) {
    RECT rc = {};
    GetWindowRect(hWnd, &rc);
    CreateDirectoryA("C:\\shots", nullptr);
    Sleep(700); // let the window finish painting
    WriteFile("..\\shots\\" + std::string(name) + ".ready",
              std::to_string(rc.right - rc.left) + "x" + std::to_string(rc.bottom - rc.top) + "+" +
                  std::to_string(rc.left) + "+" + std::to_string(rc.top));
    std::string done = std::string("C:\\shots\\") + name + ".done";
    WaitFor([&] { return GetFileAttributesA(done.c_str()) != INVALID_FILE_ATTRIBUTES; }, 30000);
}

HWND Preview() {
    return FindWindowExA(g_frame, nullptr, "BrevixPreview", nullptr);
}

void Poses() {
    HWND hView = GetDlgItem(g_frame, AFX_IDW_PANE_FIRST);
    SetWindowPos(g_frame, nullptr, 0, 0, 1000, 620, SWP_NOZORDER);
    SendMessageA(hView, EM_SETSEL, 0, 0);
    Settle();
    Pose(g_frame, "main-window");
    PostMessageA(g_frame, WM_SYSCOMMAND, SC_KEYMENU, 'f');
    Pose(g_frame, "file-menu");
    PostMessageA(g_frame, WM_CANCELMODE, 0, 0);
    PressKeys({VK_ESCAPE});
    PressKeys({VK_ESCAPE});
    PostCommand(ID_FILE_PRINT_PREVIEW);
    WaitFor([] { return Preview() != nullptr; });
    Pose(g_frame, "print-preview");
    Click(GetDlgItem(Preview(), AFX_ID_PREVIEW_CLOSE));
    WaitFor([&] { return IsWindowVisible(hView) != 0; });
    PostCommand(ID_APP_ABOUT);
    HWND hAbout = WaitForDialog("About Brevix");
    Pose(g_frame, "about-box");
    PressButton(hAbout, IDOK);

    FreshFolder("shots-out", true); // where the picker opens
    PostCommand(ID_FILE_PROCESS);
    HWND hPicker = WaitForDialog("Select Brevix Output Folder");
    Pose(hPicker, "folder-picker");
    PressButton(hPicker, IDOK);
    HWND hLog = WaitForDialog("Process Log", 10000);
    Pose(hLog, "process-log");
    PressButton(hLog, IDOK);
    PostCommand(ID_SETTINGS);
    HWND hSettings = WaitForDialog("Settings");
    Pose(hSettings, "settings");
    PressButton(hSettings, IDCANCEL);

    // Half a 1366-pixel screen wide.
    SetWindowPos(g_frame, nullptr, 0, 0, 683, 620, SWP_NOZORDER);
    Settle();
    Pose(g_frame, "narrow-window");
    SetWindowPos(g_frame, nullptr, 0, 0, 1000, 620, SWP_NOZORDER);
    // A source over the view's limit, and the help its box offers.
    std::string large = WriteFile("large.xml", std::string(1048576, 'x'));
    PostCommand(ID_FILE_OPEN);
    HWND hOpen = WaitForDialog("Open");
    SendMessageA(NameBox(hOpen), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(large.c_str()));
    PostMessageA(hOpen, WM_COMMAND, IDOK, 0);
    HWND hBox = WaitForDialog("Brevix"), hHelp = nullptr;
    Pose(hBox, "too-large");
    PostMessageA(FindWindowExA(hBox, nullptr, "Button", "Help"), BM_CLICK, 0, 0);
    WaitFor([&] { return IsWindowVisible(hHelp = FindWindowA(nullptr, "Brevix Help")) != 0; }, 10000);
    Pose(hHelp, "help-topic");
    PostMessageA(hHelp, WM_CLOSE, 0, 0);
    AnswerMessageBox();
}
Register poses({"shots", SampleWithoutProfile, Poses, nullptr});
} // namespace
