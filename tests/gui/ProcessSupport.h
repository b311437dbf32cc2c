// Helpers of the Process and Settings cases: the output folder picker, the Process Log, folders
// of chunk files, the engine's own run for comparison, the profile as a whole, and dialog
// templates checked control by control.
#pragma once

#include "GuiHarness.h"

#include <map>
#include <string>

namespace gui {

extern const std::string kBrevixKey;   // HKCU: the program's profile
extern const std::string kSettingsKey; // its section "Settings"
extern const char* const kPickerTitle; // "Select Brevix Output Folder"

// The bundled sample, as a Windows path.
std::string SamplePath();
// A fresh empty folder below the test folder (emptied when it exists).
std::string FreshFolder(const std::string& name);
// A fresh empty folder, made the current folder (where the picker opens without a remembered one).
std::string EnterFreshFolder(const std::string& name);
// Every file below folder: relative path -> bytes.
std::map<std::string, std::string> FolderFiles(const std::string& folder);
std::string ReadBytes(const std::string& path);

// A fresh profile, and the picker without a remembered folder (it opens in the current one).
void ForgetProfileAndPickerFolder();
// Every value below the program's profile key: "subkey\value" -> data.
std::map<std::string, std::string> ProfileValues();

// Waits for the picker (null after the timeout).
HWND WaitForPicker(int timeoutMs = 5000);
// Presses "Select" as a click does; true when the picker closed.
bool PressSelect(HWND hPicker);
// Waits for the Process Log and returns the text of its edit box ("" and a failure if none).
std::string WaitForLogText(HWND* phLog = nullptr);
// Waits for the picker, presses Select and waits for the Process Log: its text, and the dialog
// in *phLog ("", null and a failure when either does not come).
std::string SelectAndWaitForLog(HWND* phLog);
// Closes a dialog with its button nID as a click does; true when it closed.
bool PressButton(HWND hDlg, int nID);
// The window that has the keyboard focus in the application.
HWND FocusWindow();

// The engine's own run on source into folder, with the settings the application holds now.
std::string ReferenceRun(const std::string& source, const std::string& folder);
// A Process Log with its time stamp cut off and folder named as refFolder, for comparison.
std::string ComparableLog(const std::string& log, const std::string& folder, const std::string& refFolder);
// Runs Process through the picker into a fresh folder "name" and compares the files and the log
// with the engine's own run into "name-ref". The command must have been given already.
void ExpectRunLikeEngine(const std::string& name);

// One control of a dialog template as it should be.
struct ControlSpec {
    int id;          // -1: a static without id, found by text
    const char* cls; // window class, compared without case
    const char* text;
    RECT dlu;        // x, y, width, height in dialog units
    DWORD styleMask; // the bits of the style compared
    DWORD style;     // their values
};
// Checks every control of hDlg: class, text, rectangle, style, and their order in the template.
void CheckTemplate(HWND hDlg, const ControlSpec* specs, size_t count);

// Poses window hWnd for scripts/screenshots.sh: writes C:\shots\<name>.ready with the window's
// rectangle and waits for <name>.done.
void Pose(HWND hWnd, const char* name);

} // namespace gui
