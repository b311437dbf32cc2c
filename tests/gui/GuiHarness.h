// A small harness for tests that drive the real application in its own process: the
// application runs on the main thread as usual, the test on a second thread that finds its
// windows and works them as a user would; checks after the application has ended run on the
// main thread again.
#pragma once

#include "platform/Win32.h"

#include <commctrl.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace gui {

// A failed check is logged with its line; the run fails when any failed.
bool Check(bool condition, const std::string& text, int line);
bool CheckEq(const std::string& actual, const std::string& expected, const char* text, int line);
#define CHECK(cond) ::gui::Check((cond), #cond, __LINE__)
#define CHECK_EQ(actual, expected) ::gui::CheckEq((actual), (expected), #actual, __LINE__)
// Polls condition every 20 ms for up to timeoutMs; true when it held.
bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 5000);

// Windows.
std::string Text(HWND hWnd);
HWND MainFrame();
HWND ToolBar();
HWND ToolbarChild(int id);
HWND FocusWindow(); // the application's window with the keyboard focus
// A visible dialog of this process with caption (null after the timeout).
HWND WaitForDialog(const char* caption, int timeoutMs = 5000);
// Waits for the message box titled "Brevix", returns its text and presses OK ("" when none came).
std::string AnswerMessageBox(int timeoutMs = 5000);
// Clicks button nID of hDlg as BM_CLICK does; true once the dialog has closed.
bool PressButton(HWND hDlg, int nID);
// Sends a command as the menu does (posted, so modal loops it starts do not block the test).
void PostCommand(UINT nID);
bool ButtonEnabled(UINT nID);
// Sets a toolbar field's text and lets the idle update run.
void SetField(int id, const std::string& text);
// Presses keys (virtual-key codes held in order, then let go) with the frame in front.
void PressKeys(const std::vector<WORD>& keys);
// Clicks the middle of rc (hWnd's client coordinates; its whole client area when null) with the
// real mouse, the frame in front: whatever window lies there on screen gets the click.
void Click(HWND hWnd, const RECT* rc = nullptr);
void ClickButton(UINT nID); // a toolbar button, with the real mouse
// Lets the application run its idle update and waits until it has.
void Settle();
// A file dialog's hidden or typed-into file-name box (1148 on current dialogs, 1152 on old ones).
HWND NameBox(HWND hDlg);
// Not a test: poses hWnd for scripts/screenshots.sh (writes C:\shots\<name>.ready with its
// rectangle, then waits for <name>.done).
void Pose(HWND hWnd, const char* name);

// Files: the test folder, a file written into it, a new empty folder below it (made the
// current one, where the output folder picker opens without a remembered one, when enter is
// set), every file below a folder (relative path -> bytes), the bundled sample.
std::string TempDir();
std::string WriteFile(const std::string& name, const std::string& bytes);
std::string FreshFolder(const std::string& name, bool enter = false);
std::map<std::string, std::string> FolderFiles(const std::string& folder);
std::string SamplePath();

// The registry.
extern const std::string kProfile;  // HKCU: the program's profile
extern const std::string kSettings; // its section "Settings"
// Every value below the profile, sorted: "subkey\value=text" (a number "(number) n") and a line
// feed each.
std::string ProfileValues();
// No profile, and no folder remembered by the file dialogs; with it, the arguments that open the
// bundled sample.
void ForgetProfile();
std::vector<std::string> SampleWithoutProfile();

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
std::vector<Case>& Cases();
struct Register {
    explicit Register(Case c) { Cases().push_back(std::move(c)); }
};

} // namespace gui
