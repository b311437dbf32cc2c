#include "WinApp.h"

#include <commdlg.h>
#include <shellapi.h>

#include <cstring>
#include <exception>
#include <new>
#include <stdexcept>

#include "DocTemplate.h"
#include "Document.h"
#include "FileDialog.h"
#include "platform/FileException.h"
#include "FrameWnd.h"
#include "RecentFileList.h"
#include "FrameworkIds.h"

namespace {
CWinApp* g_pApp = nullptr;

constexpr const char* kRecentFileSection = "Recent File List";
constexpr const char* kRecentFileEntry = "File%d";
constexpr const char* kSettingsSection = "Settings";
constexpr const char* kPreviewPagesEntry = "PreviewPages";

bool EqualsNoCase(const char* a, const char* b) {
    return lstrcmpiA(a, b) == 0;
}

// The registry key of one section of the application's profile, opened or created.
HKEY OpenSectionKey(const CWinApp& app, const CString& section, bool create) {
    CString path = "Software\\" + app.m_pszRegistryKey + "\\" + app.m_pszAppName + "\\" + section;
    HKEY key = nullptr;
    LONG result = create
                      ? RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                        KEY_READ | KEY_WRITE, nullptr, &key, nullptr)
                      : RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ | KEY_WRITE, &key);
    return result == ERROR_SUCCESS ? key : nullptr;
}
} // namespace

CWinApp* AfxGetApp() {
    return g_pApp;
}

CString AfxLoadString(UINT nID) {
    char buffer[1024];
    int length = LoadStringA(GetModuleHandleA(nullptr), nID, buffer, sizeof buffer);
    return CString(buffer, length > 0 ? static_cast<size_t>(length) : 0);
}

CString AfxFormatString1(const CString& text, const CString& arg) {
    CString out = text;
    for (size_t at = out.find("%1"); at != CString::npos; at = out.find("%1", at + arg.size()))
        out.replace(at, 2, arg);
    return out;
}

HWND AfxGetModalOwner(const CWinWnd* pParent) {
    HWND hOwner = pParent != nullptr ? pParent->GetSafeHwnd() : nullptr;
    CWinApp* app = AfxGetApp();
    if (hOwner == nullptr && app != nullptr && app->m_pMainWnd != nullptr)
        hOwner = app->m_pMainWnd->GetSafeHwnd();
    return hOwner != nullptr ? GetLastActivePopup(hOwner) : nullptr;
}

namespace {
const char* g_pszBoxTopic = nullptr; // the topic of the message box on screen (one at a time: modal)
void CALLBACK OnBoxHelp(LPHELPINFO) {
    if (AfxGetApp() != nullptr && g_pszBoxTopic != nullptr) AfxGetApp()->ShowHelpTopic(g_pszBoxTopic);
}
// The box's Help button opens the topic itself (some systems' boxes leave the button to the
// caller's window, or do nothing with it); F1 reaches OnBoxHelp through the box.
WNDPROC g_boxProc = nullptr;
LRESULT CALLBACK BoxProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && LOWORD(wParam) == IDHELP) {
        OnBoxHelp(nullptr);
        return 0;
    }
    return CallWindowProcA(g_boxProc, hWnd, message, wParam, lParam);
}
LRESULT CALLBACK BoxHook(int code, WPARAM wParam, LPARAM lParam) {
    auto* pCreate = reinterpret_cast<CBT_CREATEWNDA*>(lParam);
    if (code == HCBT_CREATEWND && g_boxProc == nullptr && pCreate->lpcs->lpszClass == MAKEINTATOM(32770))
        g_boxProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(reinterpret_cast<HWND>(wParam), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(BoxProc)));
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
} // namespace

int AfxMessageBox(const CString& text, UINT nType, const char* pszHelpTopic) {
    CWinApp* app = AfxGetApp();
    CString caption = app != nullptr ? app->m_pszAppName : CString();
    MSGBOXPARAMSA params = {};
    params.cbSize = sizeof params;
    params.hwndOwner = AfxGetModalOwner(nullptr);
    params.hInstance = GetModuleHandleA(nullptr);
    params.lpszText = text.c_str();
    params.lpszCaption = caption.c_str();
    params.dwStyle = nType | (pszHelpTopic != nullptr ? MB_HELP : 0);
    params.lpfnMsgBoxCallback = OnBoxHelp;
    const char* pszOuter = g_pszBoxTopic;
    g_pszBoxTopic = pszHelpTopic;
    HHOOK hHook = pszHelpTopic != nullptr ? SetWindowsHookExA(WH_CBT, BoxHook, nullptr, GetCurrentThreadId()) : nullptr;
    g_boxProc = nullptr;
    int result = MessageBoxIndirectA(&params);
    if (hHook != nullptr) UnhookWindowsHookEx(hHook);
    g_pszBoxTopic = pszOuter;
    return result;
}

void AfxReportException(const CString& fallback) {
    // Called inside a catch block: rethrow to learn what it was.
    try {
        throw;
    } catch (const CException& e) {
        AfxMessageBox(*e.what() != '\0' ? CString(e.what()) : fallback);
    } catch (const CArchiveException& e) {
        if (!e.m_strMessage.empty()) AfxMessageBox(e.m_strMessage);
    } catch (const std::bad_alloc&) {
        AfxMessageBox(kOutOfMemory);
    } catch (const std::length_error&) {
        // A text longer than a string can hold in this address space: memory ran out too.
        AfxMessageBox(kOutOfMemory);
    } catch (...) {
        AfxMessageBox(fallback);
    }
}

void CCommandLineInfo::ParseParam(const char* pszParam, BOOL bFlag, BOOL bLast) {
    if (bFlag) {
        if (std::strcmp(pszParam, "pt") == 0)
            m_nShellCommand = FilePrintTo;
        else if (std::strcmp(pszParam, "p") == 0)
            m_nShellCommand = FilePrint;
        else if (EqualsNoCase(pszParam, "Unregister") || EqualsNoCase(pszParam, "Unregserver"))
            m_nShellCommand = AppUnregister;
        else if (std::strcmp(pszParam, "dde") == 0)
            m_nShellCommand = FileDDE;
        else if (EqualsNoCase(pszParam, "Embedding"))
            m_bRunEmbedded = TRUE;
    } else if (m_strFileName.empty()) {
        m_strFileName = pszParam;
    } else if (m_nShellCommand == FilePrintTo && m_strPrinterName.empty()) {
        m_strPrinterName = pszParam;
    } else if (m_nShellCommand == FilePrintTo && m_strDriverName.empty()) {
        m_strDriverName = pszParam;
    } else if (m_nShellCommand == FilePrintTo && m_strPortName.empty()) {
        m_strPortName = pszParam;
    }
    if (bLast && m_nShellCommand == FileNew && !m_strFileName.empty()) m_nShellCommand = FileOpen;
}

CWinApp::CWinApp(const char* pszAppName) {
    g_pApp = this;
    if (pszAppName != nullptr) m_pszAppName = pszAppName;
}

CWinApp::~CWinApp() {
    if (g_pApp == this) g_pApp = nullptr;
}

BOOL CWinApp::InitInstance() {
    return TRUE;
}

int CWinApp::ExitInstance() {
    if (!IsUnregistering()) SaveStdProfileSettings();
    m_pDocTemplate.reset();
    if (m_atomApp != 0) GlobalDeleteAtom(m_atomApp);
    if (m_atomSystemTopic != 0) GlobalDeleteAtom(m_atomSystemTopic);
    m_atomApp = m_atomSystemTopic = 0;
    return 0;
}

BOOL CWinApp::OnIdle(LONG lCount) {
    if (lCount == 0 && m_pMainWnd != nullptr) m_pMainWnd->OnIdleUpdateCmdUI();
    return FALSE;
}

BOOL CWinApp::PreTranslateMessage(MSG* pMsg) {
    return m_pMainWnd != nullptr && m_pMainWnd->PreTranslateMessage(pMsg);
}

int CWinApp::Run() {
    MSG msg = {};
    POINT lastMouse = {-1, -1};
    BOOL bIdle = TRUE;
    LONG lIdleCount = 0;
    for (;;) {
        while (bIdle && !PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            if (!OnIdle(lIdleCount++)) bIdle = FALSE;
        }
        do {
            if (!GetMessageA(&msg, nullptr, 0, 0)) return ExitInstance();
            if (!PreTranslateMessage(&msg)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
            // Paint, timers and a mouse that did not move change nothing the enabling depends on.
            bool moved = msg.message != WM_MOUSEMOVE || msg.pt.x != lastMouse.x || msg.pt.y != lastMouse.y;
            if (msg.message == WM_MOUSEMOVE) lastMouse = msg.pt;
            if (msg.message != WM_PAINT && msg.message != WM_TIMER && msg.message != 0x0118 && moved) {
                bIdle = TRUE;
                lIdleCount = 0;
            }
        } while (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    }
}

BOOL CWinApp::OnCmdMsg(UINT nID, CmdCode code, CCmdUI* pCmdUI) {
    static const CmdMapEntry<CWinApp> map[] = {
        OnCommandEntry<CWinApp>(ID_FILE_NEW, &CWinApp::OnFileNew),
        OnCommandEntry<CWinApp>(ID_FILE_OPEN, &CWinApp::OnFileOpen),
        OnCommandEntry<CWinApp>(ID_FILE_PRINT_SETUP, &CWinApp::OnFilePrintSetup),
        OnCommandEntry<CWinApp>(ID_APP_EXIT, &CWinApp::OnAppExit),
        OnCommandRangeEntry<CWinApp>(ID_FILE_MRU_FILE1, ID_FILE_MRU_LAST, &CWinApp::OnOpenRecentFile),
        OnUpdateRangeEntry<CWinApp>(ID_FILE_MRU_FILE1, ID_FILE_MRU_LAST, &CWinApp::OnUpdateRecentFileMenu),
    };
    return DispatchCmdMap(this, map, nID, code, pCmdUI);
}

void CWinApp::SetRegistryKey(const char* pszRegistryKey) {
    m_pszRegistryKey = pszRegistryKey;
    m_pProfile = std::make_unique<UserProfile>(m_pszRegistryKey, m_pszAppName);
}

ProfileStore& CWinApp::GetProfileStore() {
    if (!m_pProfile) m_pProfile = std::make_unique<UserProfile>(m_pszRegistryKey, m_pszAppName);
    return *m_pProfile;
}

CString CWinApp::GetProfileString(const CString& section, const CString& entry, const CString& def) const {
    return UserProfile(m_pszRegistryKey, m_pszAppName).GetProfileString(section, entry, def);
}

BOOL CWinApp::WriteProfileString(const CString& section, const CString& entry, const CString& value) {
    return GetProfileStore().WriteProfileString(section, entry, value) ? TRUE : FALSE;
}

UINT CWinApp::GetProfileInt(const CString& section, const CString& entry, int nDefault) const {
    HKEY key = OpenSectionKey(*this, section, false);
    if (key == nullptr) return static_cast<UINT>(nDefault);
    DWORD value = 0, type = 0, size = sizeof value;
    LONG result =
        RegQueryValueExA(key, entry.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS && type == REG_DWORD ? value : static_cast<UINT>(nDefault);
}

BOOL CWinApp::WriteProfileInt(const CString& section, const CString& entry, int nValue) {
    HKEY key = OpenSectionKey(*this, section, true);
    if (key == nullptr) return FALSE;
    DWORD value = static_cast<DWORD>(nValue);
    LONG result =
        RegSetValueExA(key, entry.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

BOOL CWinApp::DeleteProfileValue(const CString& section, const CString& entry) {
    HKEY key = OpenSectionKey(*this, section, false);
    if (key == nullptr) return TRUE;
    LONG result = RegDeleteValueA(key, entry.c_str());
    RegCloseKey(key);
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}

void CWinApp::LoadStdProfileSettings(UINT nMaxMRU) {
    if (nMaxMRU != 0) {
        m_pRecentFileList = std::make_unique<CRecentFileList>(kRecentFileSection, kRecentFileEntry,
                                                              static_cast<int>(nMaxMRU), 30);
        m_pRecentFileList->ReadList(*this);
    }
    m_nNumPreviewPages = GetProfileInt(kSettingsSection, kPreviewPagesEntry, 0);
}

void CWinApp::SaveStdProfileSettings() {
    if (m_pRecentFileList) m_pRecentFileList->WriteList(*this);
    if (m_nNumPreviewPages != 0)
        WriteProfileInt(kSettingsSection, kPreviewPagesEntry, static_cast<int>(m_nNumPreviewPages));
}

void CWinApp::AddDocTemplate(CSingleDocTemplate* pTemplate) {
    m_pDocTemplate.reset(pTemplate);
}

void CWinApp::EnableShellOpen() {
    m_atomApp = GlobalAddAtomA(m_pszExeName.c_str());
    m_atomSystemTopic = GlobalAddAtomA("system");
}

void CWinApp::ParseCommandLine(CCommandLineInfo& rCmdInfo) {
    for (size_t i = 0; i < m_args.size(); ++i) {
        const CString& arg = m_args[i];
        BOOL bFlag = !arg.empty() && (arg[0] == '/' || arg[0] == '-');
        BOOL bLast = i + 1 == m_args.size();
        rCmdInfo.ParseParam(bFlag ? arg.c_str() + 1 : arg.c_str(), bFlag, bLast);
    }
}

BOOL CWinApp::ProcessShellCommand(CCommandLineInfo& rCmdInfo) {
    m_pCmdInfo = &rCmdInfo;
    switch (rCmdInfo.m_nShellCommand) {
    case CCommandLineInfo::FileNew: OnFileNew(); return m_pMainWnd != nullptr;
    case CCommandLineInfo::FileOpen: return OpenDocumentFile(rCmdInfo.m_strFileName) != nullptr;
    case CCommandLineInfo::FilePrint:
    case CCommandLineInfo::FilePrintTo:
        m_nCmdShow = SW_HIDE;
        if (OpenDocumentFile(rCmdInfo.m_strFileName) != nullptr && m_pMainWnd != nullptr)
            m_pMainWnd->SendMessage(WM_COMMAND, ID_FILE_PRINT_DIRECT);
        return FALSE;
    case CCommandLineInfo::FileDDE:
        // Waits hidden for the shell: an empty document in a hidden frame answers its DDE.
        m_nCmdShow = SW_HIDE;
        OnFileNew();
        return m_pMainWnd != nullptr;
    case CCommandLineInfo::AppUnregister: {
        BOOL bDone = UnregisterShellFileTypes();
        bDone = Unregister() && bDone;
        if (!rCmdInfo.m_bRunEmbedded)
            AfxMessageBox(bDone ? kUnregistered : kNotUnregistered, MB_OK | MB_ICONINFORMATION);
        return FALSE;
    }
    case CCommandLineInfo::FileNothing: return TRUE;
    }
    return TRUE;
}

CDocument* CWinApp::OpenDocumentFile(const CString& path) {
    return m_pDocTemplate ? m_pDocTemplate->OpenDocumentFile(path.c_str()) : nullptr;
}

void CWinApp::AddToRecentFileList(const CString& path) {
    if (m_pRecentFileList) m_pRecentFileList->Add(path);
}

BOOL CWinApp::OnDDECommand(const CString& command) {
    static const char kOpen[] = "[open(\"";
    if (command.compare(0, sizeof kOpen - 1, kOpen) != 0) return FALSE;
    size_t start = sizeof kOpen - 1;
    size_t end = command.find("\")]", start);
    if (end == CString::npos) return FALSE;
    if (m_pMainWnd != nullptr && !m_pMainWnd->IsWindowVisible()) m_pMainWnd->ShowWindow(SW_SHOWNORMAL);
    OpenDocumentFile(command.substr(start, end - start));
    return TRUE;
}

void CWinApp::OnFileNew() {
    if (m_pDocTemplate) m_pDocTemplate->OpenDocumentFile(nullptr);
}

void CWinApp::OnFileOpen() {
    CString filterName, filterExt;
    if (m_pDocTemplate) {
        m_pDocTemplate->GetDocString(filterName, CSingleDocTemplate::filterName);
        m_pDocTemplate->GetDocString(filterExt, CSingleDocTemplate::filterExt);
    }
    CString filter;
    if (!filterName.empty() && !filterExt.empty()) filter += filterName + "|*" + filterExt + "|";
    filter += "All Files (*.*)|*.*||";
    CFileDialog dlg(TRUE, nullptr, nullptr, OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST,
                    filter.c_str());
    dlg.m_ofn.lpstrTitle = "Open";
    if (dlg.DoModal() == IDOK) OpenDocumentFile(dlg.GetPathName());
}

void CWinApp::OnFilePrintSetup() {
    PRINTDLGA pd = {};
    pd.lStructSize = sizeof pd;
    pd.hwndOwner = m_pMainWnd != nullptr ? m_pMainWnd->GetSafeHwnd() : nullptr;
    pd.hDevMode = m_hDevMode;
    pd.hDevNames = m_hDevNames;
    pd.Flags = PD_PRINTSETUP;
    if (PrintDlgA(&pd)) {
        m_hDevMode = pd.hDevMode;
        m_hDevNames = pd.hDevNames;
    }
}

HDC CWinApp::CreatePrinterDC() {
    PRINTDLGA pd = {};
    pd.lStructSize = sizeof pd;
    if (m_hDevNames != nullptr) {
        auto* names = static_cast<DEVNAMES*>(GlobalLock(m_hDevNames));
        auto* mode = m_hDevMode != nullptr ? static_cast<DEVMODEA*>(GlobalLock(m_hDevMode)) : nullptr;
        const char* base = reinterpret_cast<const char*>(names);
        HDC hdc = CreateDCA(base + names->wDriverOffset, base + names->wDeviceOffset, nullptr, mode);
        if (mode != nullptr) GlobalUnlock(m_hDevMode);
        GlobalUnlock(m_hDevNames);
        return hdc;
    }
    pd.Flags = PD_RETURNDEFAULT | PD_RETURNDC;
    if (!PrintDlgA(&pd)) return nullptr;
    if (pd.hDevMode != nullptr) GlobalFree(pd.hDevMode);
    if (pd.hDevNames != nullptr) GlobalFree(pd.hDevNames);
    return pd.hDC;
}

void CWinApp::OnAppExit() {
    if (m_pMainWnd != nullptr) m_pMainWnd->SendMessage(WM_CLOSE);
}

void CWinApp::OnOpenRecentFile(UINT nID) {
    if (!m_pRecentFileList) return;
    int nIndex = static_cast<int>(nID - ID_FILE_MRU_FILE1);
    if (nIndex >= m_pRecentFileList->GetSize() || (*m_pRecentFileList)[nIndex].empty()) return;
    CString path = (*m_pRecentFileList)[nIndex];
    if (OpenDocumentFile(path) == nullptr) {
        // The entry may have moved while opening; remove the one that names the path.
        for (int i = 0; i < m_pRecentFileList->GetSize(); ++i)
            if ((*m_pRecentFileList)[i] == path) m_pRecentFileList->Remove(i);
    }
}

void CWinApp::OnUpdateRecentFileMenu(CCmdUI* pCmdUI) {
    pCmdUI->m_bEnableChanged = TRUE;
    if (pCmdUI->m_pMenu == nullptr) {
        // A button or accelerator: enabled when its entry exists.
        int nIndex = static_cast<int>(pCmdUI->m_nID - ID_FILE_MRU_FILE1);
        pCmdUI->m_bEnabled = m_pRecentFileList && nIndex < m_pRecentFileList->GetSize() &&
                             !(*m_pRecentFileList)[nIndex].empty();
        return;
    }
    HMENU hMenu = pCmdUI->m_pMenu;
    // Take out every recent-file item, then put the list (or the disabled placeholder) back.
    UINT nIndex = pCmdUI->m_nIndex;
    for (UINT id = ID_FILE_MRU_FILE1; id <= ID_FILE_MRU_LAST; ++id)
        DeleteMenu(hMenu, id, MF_BYCOMMAND);
    int nCount = m_pRecentFileList ? m_pRecentFileList->GetCount() : 0;
    if (nCount == 0) {
        InsertMenuA(hMenu, nIndex, MF_BYPOSITION | MF_STRING | MF_GRAYED, ID_FILE_MRU_FILE1, "Recent File");
        pCmdUI->m_bEnabled = FALSE;
        return;
    }
    for (int i = 0; i < nCount; ++i) {
        CString name;
        for (char ch : m_pRecentFileList->GetDisplayName(i)) {
            if (ch == '&') name += '&'; // a literal ampersand in a menu text
            name += ch;
        }
        CString text = "&" + std::to_string(i + 1) + " " + name;
        InsertMenuA(hMenu, nIndex + static_cast<UINT>(i), MF_BYPOSITION | MF_STRING, ID_FILE_MRU_FILE1 + i,
                    text.c_str());
    }
    pCmdUI->m_bEnabled = TRUE;
}

std::vector<CString> AfxCommandLineArgs() {
    std::vector<CString> args;
    for (int i = 1; i < __argc; ++i)
        args.emplace_back(__argv[i]);
    return args;
}

int AfxWinMain(HINSTANCE hInstance, const std::vector<CString>& args, int nCmdShow) {
    CWinApp* app = AfxGetApp();
    if (app == nullptr) return -1;
    app->m_hInstance = hInstance;
    app->m_nCmdShow = nCmdShow;
    app->m_args = args;
    char module[MAX_PATH] = "";
    GetModuleFileNameA(hInstance, module, sizeof module);
    CString path = module;
    size_t slash = path.find_last_of("\\/");
    size_t dot = path.find_last_of('.');
    if (dot == CString::npos || (slash != CString::npos && dot < slash)) dot = path.size();
    CString name = path.substr(slash == CString::npos ? 0 : slash + 1);
    app->m_pszExeName = name.substr(0, name.find_last_of('.'));
    app->m_pszHelpFilePath = path.substr(0, dot) + ".HLP";
    if (app->m_pszAppName.empty()) app->m_pszAppName = AfxLoadString(AFX_IDS_APP_TITLE);
    if (app->m_pszAppName.empty()) app->m_pszAppName = app->m_pszExeName;

    if (!app->InitInstance()) {
        if (app->m_pMainWnd != nullptr) app->m_pMainWnd->DestroyWindow();
        // Let the frame's destruction run before the exit steps.
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) break;
            DispatchMessageA(&msg);
        }
        return app->ExitInstance();
    }
    return app->Run();
}
