// A small harness for tests that drive the real application in its own process: the
// application runs on the main thread as usual, the test on a second thread that finds its
// windows and works them as a user would; checks after the application has ended run on the
// main thread again.
#pragma once

#include "platform/Win32.h"

#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

namespace gui {

// Records a failed check; the case fails when any was recorded.
void Fail(const std::string& what, int line);
bool Check(bool condition, const char* text, int line);
bool CheckEq(const std::string& actual, const std::string& expected, const char* text, int line);
void Log(const std::string& text);
int FailureCount();

#define CHECK(cond) ::gui::Check((cond), #cond, __LINE__)
#define CHECK_EQ(actual, expected) ::gui::CheckEq((actual), (expected), #actual, __LINE__)

// Polls condition every 20 ms for up to timeoutMs; true when it held.
bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 5000);

// Window helpers.
std::string Text(HWND hWnd);
HWND MainFrame();
HWND ToolBar();
HWND StatusBar();
HWND ViewEdit();
HWND ToolbarChild(int id);
// A top-level dialog of this process with caption, once it shows (null after the timeout).
HWND WaitForDialog(const char* caption, int timeoutMs = 5000);
// The text of a message box's message.
std::string MessageText(HWND hBox);
// Waits for the message box titled "Brevix", returns its text and presses OK ("" when none came).
std::string AnswerMessageBox(int timeoutMs = 5000);
// Sends a command as the menu does (posted, so modal loops it starts do not block the test).
void PostCommand(UINT nID);
// The item state of nID in the frame's menu after the menu holding it was opened.
bool MenuItemEnabled(UINT nID);
bool MenuItemChecked(UINT nID);
// The text of the item at position index of top-level menu nMenu, after the menu was opened.
std::string MenuItemText(int nMenu, int index);
bool ButtonEnabled(UINT nID);
// Presses keys (virtual-key codes held in order, then let go) with the frame in front.
void PressKeys(const std::vector<WORD>& keys);
// Clicks the middle of rc (hWnd's client coordinates; its whole client area when null) with the
// real mouse, the frame in front: whatever window lies there on screen gets the click.
void Click(HWND hWnd, const RECT* rc = nullptr);
// Lets the application run its idle update and waits until it has.
void Settle();
// Opens path with File > Open, typing it into the Open dialog.
bool OpenWithDialog(const std::string& path);

// Files and registry.
std::string TempDir();
std::string WriteFile(const std::string& name, const std::string& bytes);
std::string RegString(HKEY root, const std::string& key, const char* value, bool* exists = nullptr);
bool RegKeyExists(HKEY root, const std::string& key);
void RegDeleteTreeAll(HKEY root, const std::string& key);
void RegSetString(HKEY root, const std::string& key, const char* value, const std::string& data);

// One test case: prepare runs before the application starts and returns its arguments;
// during runs on the test thread while it runs (and should end with the frame closed, or
// it is closed for it); after runs once the application has ended.
struct Case {
    const char* name;
    std::function<std::vector<std::string>()> prepare;
    std::function<void()> during;
    std::function<void(int exitCode)> after;
    bool waitForFrame = true; // false: during starts at once (no main window may ever show)
};
std::vector<Case>& Cases();
struct Register {
    explicit Register(Case c) { Cases().push_back(std::move(c)); }
};

} // namespace gui
