// CWinApp: the application object of the windowed program: registry profile, recent-file list,
// command line, shell file types and shell open by DDE, the application-level framework
// commands, and the message loop with idle processing. AfxWinMain runs it.
#pragma once

#include <memory>
#include <vector>

#include "CmdTarget.h"
#include "platform/ProfileStore.h"
#include "platform/StringTypes.h"
#include "platform/Win32.h"

class CDocument;
class CFrameWnd;
class CRecentFileList;
class CSingleDocTemplate;
class CWinWnd;

// The command line, parsed: what the program is asked to do at start-up.
class CCommandLineInfo {
public:
    enum ShellCommand { FileNew, FileOpen, FilePrint, FilePrintTo, FileDDE, AppUnregister, FileNothing = -1 };

    // One argument: bFlag when it began with "/" or "-" (which is then cut off); bLast for the last.
    void ParseParam(const char* pszParam, BOOL bFlag, BOOL bLast);

    ShellCommand m_nShellCommand = FileNew;
    CString m_strFileName;
    CString m_strPrinterName;
    CString m_strDriverName;
    CString m_strPortName;
    BOOL m_bRunEmbedded = FALSE;
};

class CWinApp : public CCmdTarget {
public:
    // pszAppName null: the name comes from string resource AFX_IDS_APP_TITLE.
    explicit CWinApp(const char* pszAppName = nullptr);
    ~CWinApp() override;

    // Start-up and exit hooks; Run is the message loop and ends with ExitInstance.
    virtual BOOL InitInstance();
    virtual int ExitInstance();
    virtual int Run();
    // Idle work: the main frame's enabling update. FALSE when there is no more to do.
    virtual BOOL OnIdle(LONG lCount);
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    // Opens one topic (a file name inside the help file); the framework has no help of its own.
    virtual void ShowHelpTopic(const char* /*pszTopic*/) {}

    BOOL OnCmdMsg(UINT nID, CmdCode code, CCmdUI* pCmdUI) override;

    // Profile: HKEY_CURRENT_USER\Software\<registry key>\<application name>\<section>.
    void SetRegistryKey(const char* pszRegistryKey);
    CString GetProfileString(const CString& section, const CString& entry,
                             const CString& def = CString()) const;
    BOOL WriteProfileString(const CString& section, const CString& entry, const CString& value);
    UINT GetProfileInt(const CString& section, const CString& entry, int nDefault) const;
    BOOL WriteProfileInt(const CString& section, const CString& entry, int nValue);
    BOOL DeleteProfileValue(const CString& section, const CString& entry);
    // The same profile for code that takes a ProfileStore.
    ProfileStore& GetProfileStore();
    // The recent-file list of nMaxMRU entries and the print preview page count.
    void LoadStdProfileSettings(UINT nMaxMRU = 4);
    void SaveStdProfileSettings();

    void AddDocTemplate(CSingleDocTemplate* pTemplate);
    CSingleDocTemplate* GetDocTemplate() const { return m_pDocTemplate.get(); }
    void EnableShellOpen();
    // Writes the document type's shell entries for this user (see ShellRegistry.cpp).
    void RegisterShellFileTypes();
    BOOL UnregisterShellFileTypes();
    // Removes the profile key (and the company key when nothing else is left in it).
    BOOL Unregister();
    // True when this run was asked to remove the registry entries: it then writes nothing back.
    bool IsUnregistering() const {
        return m_pCmdInfo != nullptr && m_pCmdInfo->m_nShellCommand == CCommandLineInfo::AppUnregister;
    }

    void ParseCommandLine(CCommandLineInfo& rCmdInfo);
    BOOL ProcessShellCommand(CCommandLineInfo& rCmdInfo);

    // Opens path into the one document; null when it failed (the user has been told why).
    virtual CDocument* OpenDocumentFile(const CString& path);
    virtual void AddToRecentFileList(const CString& path);
    // Handles a shell DDE execute string such as [open("path")]; TRUE when understood.
    virtual BOOL OnDDECommand(const CString& command);

    // The printer chosen by Print Setup (defaults when null), and a DC for it.
    HGLOBAL m_hDevMode = nullptr;
    HGLOBAL m_hDevNames = nullptr;
    HDC CreatePrinterDC();

    HINSTANCE m_hInstance = nullptr;
    CString m_pszAppName;
    CString m_pszExeName; // the program's file name without extension
    CString m_pszRegistryKey;
    CString m_pszHelpFilePath; // the program's path with ".HLP" for its extension
    CFrameWnd* m_pMainWnd = nullptr;
    int m_nCmdShow = SW_SHOWNORMAL;
    CCommandLineInfo* m_pCmdInfo = nullptr;
    std::vector<CString> m_args; // the command-line arguments after the program's name
    std::unique_ptr<CRecentFileList> m_pRecentFileList;
    UINT m_nNumPreviewPages = 0;
    ATOM m_atomApp = 0;
    ATOM m_atomSystemTopic = 0;

protected:
    // Command handlers
    void OnFileNew();
    void OnFileOpen();
    void OnFilePrintSetup();
    void OnAppExit();
    void OnOpenRecentFile(UINT nID);
    void OnUpdateRecentFileMenu(CCmdUI* pCmdUI);

private:
    std::unique_ptr<CSingleDocTemplate> m_pDocTemplate;
    std::unique_ptr<ProfileStore> m_pProfile;

    friend int AfxWinMain(HINSTANCE hInstance, const std::vector<CString>& args, int nCmdShow);
};

// The one application object.
CWinApp* AfxGetApp();
// A message box owned by the main window, titled with the application's name.
// The owner for a modal window: pParent's window, else the main window, taken to its last active
// pop-up; null when there is neither.
HWND AfxGetModalOwner(const CWinWnd* pParent);
// With pszHelpTopic, the box has a Help button that opens that topic of the help file.
int AfxMessageBox(const CString& text, UINT nType = MB_OK | MB_ICONEXCLAMATION, const char* pszHelpTopic = nullptr);
// text with every "%1" replaced by arg.
CString AfxFormatString1(const CString& text, const CString& arg);
// A string resource of the program; empty when there is none.
CString AfxLoadString(UINT nID);
// Reports an exception that escaped a command handler: its own message, else fallback.
void AfxReportException(const CString& fallback);

// Starts the application object with the program's arguments, runs it and returns its exit code.
int AfxWinMain(HINSTANCE hInstance, const std::vector<CString>& args, int nCmdShow);
// The arguments of this process after the program's name.
std::vector<CString> AfxCommandLineArgs();

// Messages of the framework.
constexpr const char* kFailedCreateDoc = "Failed to create empty document.";
constexpr const char* kFailedOpenDoc = "Failed to open document.";
constexpr const char* kFileTooLarge = "The file is too large to open.";
constexpr const char* kLargeSourceTopic = "large.htm";
constexpr const char* kUnexpectedFormat = "Unexpected file format.";
constexpr const char* kPathTooLong =
    "This path is too long. Choose a shorter file name or a folder with a shorter path.";
constexpr const char* kCommandFailed = "Command failed.";
constexpr const char* kInternalError = "Internal application error.";
constexpr const char* kOutOfMemory = "Out of memory.";
constexpr const char* kUnregistered =
    "System registry entries have been removed and the INI file (if any) was deleted.";
constexpr const char* kNotUnregistered = "Not all of the system registry entries (or INI file) were removed.";
