#include "BrevixApp.h"

#include <commctrl.h>

#include "AboutDlg.h"
#include "BrevixDoc.h"
#include "BrevixView.h"
#include "MainFrm.h"
#include "framework/DocTemplate.h"
#include "framework/FrameWnd.h"
#include "resources/resource.h"
#include "settings/ChunkSettings.h"
#include "settings/SettingsDlg.h"

namespace {
CBrevixApp theApp;

// The HTML Help entry point from the registered HTML Help control, else hhctrl.ocx; null when
// neither loads.
using HtmlHelpFunc = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);
HtmlHelpFunc LoadHtmlHelp() {
    HMODULE hLibrary = nullptr;
    char path[MAX_PATH] = "";
    LONG size = sizeof path;
    if (RegQueryValueA(HKEY_CLASSES_ROOT, "CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32",
                       path, &size) == ERROR_SUCCESS &&
        path[0] != '\0')
        hLibrary = LoadLibraryA(path);
    if (hLibrary == nullptr) hLibrary = LoadLibraryA("hhctrl.ocx");
    if (hLibrary == nullptr) return nullptr;
    return reinterpret_cast<HtmlHelpFunc>(
        reinterpret_cast<void*>(GetProcAddress(hLibrary, MAKEINTRESOURCEA(14))));
}

// Bound at the first Help command; a failure is kept for the run.
HtmlHelpFunc BindHtmlHelp() {
    static const HtmlHelpFunc function = LoadHtmlHelp();
    return function;
}
} // namespace

CBrevixApp& TheApp() {
    return theApp;
}

CString MakeHelpPath(const CString& helpFilePath) {
    size_t nameStart = helpFilePath.find_last_of('\\');
    nameStart = nameStart == CString::npos ? 0 : nameStart + 1;
    size_t at = helpFilePath.find(".HLP", nameStart);
    if (at == CString::npos) return helpFilePath;
    CString path = helpFilePath;
    path.replace(at, 4, ".chm");
    return path;
}

CBrevixApp::CBrevixApp() : m_pSettings(GetChunkSettings()) {}

BOOL CBrevixApp::OnCmdMsg(UINT nID, CmdCode code, CCmdUI* pCmdUI) {
    static const CmdMapEntry<CBrevixApp> map[] = {
        OnCommandEntry<CBrevixApp>(ID_APP_ABOUT, &CBrevixApp::OnAppAbout),
        OnCommandEntry<CBrevixApp>(ID_SETTINGS, &CBrevixApp::OnSettings),
        OnUpdateEntry<CBrevixApp>(ID_SETTINGS, &CBrevixApp::OnUpdateSettings),
        OnCommandEntry<CBrevixApp>(ID_HELP, &CBrevixApp::OnHelpContents),
    };
    return DispatchCmdMap(this, map, nID, code, pCmdUI) || CWinApp::OnCmdMsg(nID, code, pCmdUI);
}

BOOL CBrevixApp::InitInstance() {
    // 1. The three-dimensional look: the common controls of the bars.
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_BAR_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    // 2-4. The profile, the recent files and every setting, before any window exists.
    SetRegistryKey(kCompanyKey);
    LoadStdProfileSettings(4);
    m_pSettings->LoadSettings(GetProfileStore());
    // 5-7. The document template, shell open and the shell's file types.
    AddDocTemplate(new CSingleDocTemplate(IDR_MAINFRAME, NewObject<CBrevixDoc, CDocument>,
                                          NewObject<CMainFrame, CFrameWnd>, NewObject<CBrevixView, CView>));
    EnableShellOpen();
    RegisterShellFileTypes();
    // 8-9. The command line.
    static CCommandLineInfo cmdInfo;
    cmdInfo = CCommandLineInfo();
    ParseCommandLine(cmdInfo);
    if (!ProcessShellCommand(cmdInfo)) return FALSE;
    // 10-11. The main window.
    m_pMainWnd->ShowWindow(m_nCmdShow);
    UpdateWindow(m_pMainWnd->GetSafeHwnd());
    DragAcceptFiles(m_pMainWnd->GetSafeHwnd(), TRUE);
    // 12. Help is the program's .chm.
    if (!m_pszHelpFilePath.empty()) m_pszHelpFilePath = MakeHelpPath(m_pszHelpFilePath);
    return TRUE;
}

int CBrevixApp::ExitInstance() {
    // A run that removed the profile leaves it removed.
    if (!IsUnregistering()) m_pSettings->SaveKeyTexts(GetProfileStore());
    return CWinApp::ExitInstance();
}

void CBrevixApp::OnAppAbout() {
    CAboutDlg aboutDlg;
    aboutDlg.DoModal();
}

// Edits every option but the two key texts; on OK each changed option is stored in the record
// and written to the profile at once, in a fixed order. Cancel changes nothing.
void CBrevixApp::OnSettings() {
    CSettingsDlg dlg;
    static_cast<ChunkOptions&>(dlg) = *m_pSettings;
    if (dlg.DoModal() != IDOK) return;
    m_pSettings->StoreChangedOptions(dlg, GetProfileStore());
}

void CBrevixApp::OnUpdateSettings(CCmdUI* pCmdUI) {
    pCmdUI->Enable(TRUE);
}

void CBrevixApp::ShowHelpTopic(const char* pszTopic) {
    HtmlHelpFunc htmlHelp = BindHtmlHelp();
    if (htmlHelp == nullptr) return;
    HWND hMain = m_pMainWnd != nullptr ? m_pMainWnd->GetSafeHwnd() : nullptr;
    // (also before start-up has made the path the .chm: a too-large start-up file offers help)
    htmlHelp(hMain, (MakeHelpPath(m_pszHelpFilePath) + "::/" + pszTopic).c_str(), 0 /* display a topic */, 0);
}

void CBrevixApp::OnHelpContents() {
    HtmlHelpFunc htmlHelp = BindHtmlHelp();
    if (htmlHelp == nullptr) return;
    HWND hMain = m_pMainWnd != nullptr ? m_pMainWnd->GetSafeHwnd() : nullptr;
    htmlHelp(hMain, m_pszHelpFilePath.c_str(), 1 /* display the table of contents */, 0);
}
