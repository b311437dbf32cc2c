// A small harness for tests that drive the real application in its own process: the
// application runs on the main thread as usual, the test on a second thread that finds its
// windows and works them as a user would; checks after the application has ended run on the
// main thread again.
#pragma once

#include "platform/Win32.h"

#include <commctrl.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "framework/FrameworkIds.h"

namespace gui {

inline int g_failures = 0;
inline HWND g_frame = nullptr; // the main frame, once it showed

inline void Log(const std::string& text) {
    std::string line = text + "\n";
    DWORD written = 0;
    ::WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line.data(), static_cast<DWORD>(line.size()), &written,
                nullptr);
}

// A failed check is logged with its line; the run fails when any failed.
inline bool Check(bool condition, const std::string& text, int line) {
    if (!condition) Log("  FAILED (line " + std::to_string(line) + "): " + text);
    g_failures += !condition;
    return condition;
}
inline bool CheckEq(const std::string& actual, const std::string& expected, const char* text, int line) {
    return Check(actual == expected,
                 std::string(text) + "\n      is:       \"" + actual.substr(0, 300) +
                     "\"\n      expected: \"" + expected.substr(0, 300) + "\"",
                 line);
}
#define CHECK(cond) ::gui::Check((cond), #cond, __LINE__)
#define CHECK_EQ(actual, expected) ::gui::CheckEq((actual), (expected), #actual, __LINE__)

// Polls condition every 20 ms for up to timeoutMs; true when it held.
inline bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 5000) {
    for (int waited = 0; !condition(); waited += 20) {
        if (waited >= timeoutMs) return false;
        Sleep(20);
    }
    return true;
}

// Windows.
inline std::string Text(HWND hWnd) {
    std::string text(static_cast<size_t>(GetWindowTextLengthA(hWnd)) + 1, '\0');
    text.resize(static_cast<size_t>(GetWindowTextA(hWnd, &text[0], static_cast<int>(text.size()))));
    return text;
}
inline HWND ToolBar() {
    return GetDlgItem(g_frame, AFX_IDW_TOOLBAR);
}
inline HWND ToolbarChild(int id) {
    return GetDlgItem(ToolBar(), id);
}
// The application's window with the keyboard focus.
inline HWND FocusWindow() {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(g_frame, nullptr), &info);
    return info.hwndFocus;
}
// A visible dialog with caption (null after the timeout).
inline HWND WaitForDialog(const char* caption, int timeoutMs = 5000) {
    HWND hDlg = nullptr;
    WaitFor([&] { return IsWindowVisible(hDlg = FindWindowA("#32770", caption)) != 0; }, timeoutMs);
    return IsWindowVisible(hDlg) ? hDlg : nullptr;
}
// Waits for the message box titled "Brevix", returns its text and presses OK ("" when none came).
inline std::string AnswerMessageBox(int timeoutMs = 5000) {
    HWND hBox = WaitForDialog("Brevix", timeoutMs);
    std::string text = Text(GetDlgItem(hBox, 0xFFFF)); // the message's static control
    PostMessageA(hBox, WM_COMMAND, IDOK, 0);
    WaitFor([&] { return !IsWindow(hBox); });
    return text;
}
// Clicks button nID of hDlg as BM_CLICK does; true once the dialog has closed. A message sent to
// the frame returns once the application has done what follows the closing (as writing the
// changed settings) and taken its next message.
inline bool PressButton(HWND hDlg, int nID) {
    PostMessageA(GetDlgItem(hDlg, nID), BM_CLICK, 0, 0);
    bool closed = WaitFor([&] { return !IsWindow(hDlg); });
    SendMessageA(g_frame, WM_NULL, 0, 0);
    return closed;
}
// Sends a command as the menu does (posted, so modal loops it starts do not block the test).
inline void PostCommand(UINT nID) {
    PostMessageA(g_frame, WM_COMMAND, nID, 0);
}
inline bool ButtonEnabled(UINT nID) {
    return SendMessageA(ToolBar(), TB_ISBUTTONENABLED, nID, 0) != 0;
}
// Lets the application run its idle update and waits until it has: a posted message makes the
// loop idle again after it; a sent one returns once the thread is back in its loop, which is
// after the idle update.
inline void Settle() {
    PostMessageA(g_frame, WM_NULL, 0, 0);
    Sleep(60);
    SendMessageA(g_frame, WM_NULL, 0, 0);
    Sleep(20);
}
// Sets a toolbar field's text and lets the idle update run.
inline void SetField(int id, const std::string& text) {
    SendMessageA(ToolbarChild(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    Settle();
}
// Presses keys (virtual-key codes held in order, then let go) with the frame (or hFront) in front.
inline void PressKeys(const std::vector<WORD>& keys, HWND hFront = g_frame) {
    SetForegroundWindow(hFront);
    WaitFor([=] { return GetForegroundWindow() == hFront; }, 2000);
    std::vector<INPUT> inputs(keys.size() * 2);
    for (size_t i = 0; i < keys.size(); ++i) {
        inputs[i].type = inputs[inputs.size() - 1 - i].type = INPUT_KEYBOARD;
        inputs[i].ki.wVk = inputs[inputs.size() - 1 - i].ki.wVk = keys[i];
        inputs[inputs.size() - 1 - i].ki.dwFlags = KEYEVENTF_KEYUP;
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    Settle();
}
// Clicks the middle of rc (hWnd's client coordinates; its whole client area when null) with the
// real mouse, the frame in front: whatever window lies there on screen gets the click.
inline void Click(HWND hWnd, const RECT* rc = nullptr) {
    RECT area = {};
    GetClientRect(hWnd, &area);
    if (rc != nullptr) area = *rc;
    POINT center = {(area.left + area.right) / 2, (area.top + area.bottom) / 2};
    ClientToScreen(hWnd, &center);
    SetForegroundWindow(g_frame);
    SetCursorPos(center.x, center.y);
    Sleep(50);
    mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
    mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
    Settle();
}
// A toolbar button, with the real mouse.
inline void ClickButton(UINT nID) {
    RECT button = {};
    SendMessageA(ToolBar(), TB_GETITEMRECT, SendMessageA(ToolBar(), TB_COMMANDTOINDEX, nID, 0),
                 reinterpret_cast<LPARAM>(&button));
    Click(ToolBar(), &button);
}
// A file dialog's hidden or typed-into file-name box (1148 on current dialogs, 1152 on old ones).
inline HWND NameBox(HWND hDlg) {
    return GetDlgItem(hDlg, 1148) != nullptr ? GetDlgItem(hDlg, 1148) : GetDlgItem(hDlg, 1152);
}

// Files: the test folder (made before a run prepares), a file written into it, a new empty
// folder below it (made the current one, where the output folder picker opens without a
// remembered one, when enter is set), every file below a folder (relative path -> bytes), the
// bundled sample.
inline const std::string kTempDir = "C:\\brevix-gui-tests";
inline std::string WriteFile(const std::string& name, const std::string& bytes) {
    std::string path = kTempDir + "\\" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}
inline std::string FreshFolder(const std::string& name, bool enter = false) {
    std::string folder = kTempDir + "\\" + name;
    CHECK(CreateDirectoryA(folder.c_str(), nullptr)); // each run starts in a fresh prefix
    if (enter) SetCurrentDirectoryA(folder.c_str());
    return folder;
}
inline std::map<std::string, std::string> FolderFiles(const std::string& folder) {
    std::map<std::string, std::string> files;
    std::error_code error; // a folder that cannot be read (or a file) holds nothing
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        std::string name = entry.path().filename().string();
        std::ifstream in(entry.path(), std::ios::binary);
        if (entry.is_regular_file(error)) files[name] = {std::istreambuf_iterator<char>(in), {}};
        for (const auto& [path, bytes] : FolderFiles(entry.path().string()))
            files[name + "\\" + path] = bytes;
    }
    return files;
}
inline std::string SamplePath() {
    std::string path = "Z:" BREVIX_SOURCE_DIR "/samples/user-guide.xml";
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

// The registry: the program's profile (HKCU) and its section "Settings".
inline const std::string kProfile = "Software\\Vellacor\\Brevix";
inline const std::string kSettings = kProfile + "\\Settings";
// Every value below key, "prefix + name=text" (a number "(number) n"), sorted, a line feed each.
inline std::string ProfileValues(HKEY root = HKEY_CURRENT_USER, const std::string& key = kProfile,
                                 const std::string& prefix = "") {
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS) return "";
    std::vector<std::string> values;
    char name[256];
    std::vector<char> data(65536);
    for (DWORD i = 0, length, size, type; length = sizeof name, size = static_cast<DWORD>(data.size()),
               RegEnumValueA(hKey, i, name, &length, nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                             &size) == ERROR_SUCCESS;
         ++i) {
        values.push_back(prefix + name + "=" +
                         (type == REG_DWORD
                              ? "(number) " + std::to_string(*reinterpret_cast<DWORD*>(data.data()))
                              : std::string(data.data(), size > 0 ? size - 1 : 0)) +
                         "\n");
    }
    for (DWORD i = 0, length; length = sizeof name,
               RegEnumKeyExA(hKey, i, name, &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
         ++i)
        values.push_back(ProfileValues(hKey, name, prefix + name + "\\"));
    RegCloseKey(hKey);
    std::sort(values.begin(), values.end());
    std::string text;
    for (const std::string& value : values)
        text += value;
    return text;
}
// No profile and no folder remembered by the file dialogs, and the program's arguments: none;
// or those that open the bundled sample.
inline std::vector<std::string> ForgetProfile() {
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Vellacor");
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32");
    return {};
}
inline std::vector<std::string> SampleWithoutProfile() {
    ForgetProfile();
    return {SamplePath()};
}

// One program run: prepare runs before the application starts and returns its arguments;
// during runs on the test thread while it runs (the frame is closed after it); after runs once
// the application has ended. scripts/gui-tests.sh runs the runs named "case.step" one after
// another as the case "case".
struct Case {
    const char* name;
    std::function<std::vector<std::string>()> prepare;
    std::function<void()> during;
    std::function<void(int exitCode)> after;
    bool waitForFrame = true; // false: during starts at once (no main window may ever show)
};
inline std::vector<Case> g_cases;
struct Register {
    explicit Register(Case c) { g_cases.push_back(std::move(c)); }
};

} // namespace gui
