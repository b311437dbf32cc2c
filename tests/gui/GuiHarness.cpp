#include "GuiHarness.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

#include "framework/FrameWnd.h"
#include "framework/WinApp.h"
#include "resources/resource.h"

namespace gui {
namespace {
int g_failures = 0;
HWND g_frame = nullptr;

// Every visible dialog of this process with the caption searched for.
BOOL CALLBACK FindProcessDialog(HWND hWnd, LPARAM lParam) {
    auto* search = reinterpret_cast<std::pair<const char*, HWND>*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hWnd, &pid);
    char cls[64] = "";
    GetClassNameA(hWnd, cls, sizeof cls);
    if (pid != GetCurrentProcessId() || std::strcmp(cls, "#32770") != 0 || !IsWindowVisible(hWnd) ||
        Text(hWnd) != search->first)
        return TRUE;
    search->second = hWnd;
    return FALSE;
}

// The longest static text of a message box: its message.
BOOL CALLBACK LongestStatic(HWND hWnd, LPARAM lParam) {
    auto* best = reinterpret_cast<std::string*>(lParam);
    char cls[32] = "";
    GetClassNameA(hWnd, cls, sizeof cls);
    if (lstrcmpiA(cls, "Static") == 0 && Text(hWnd).size() > best->size()) *best = Text(hWnd);
    return TRUE;
}

// The state of menu item nID after the menu holding it was opened (-1 when there is none).
UINT MenuState(UINT nID) {
    HMENU bar = GetMenu(MainFrame());
    for (int i = 0; i < GetMenuItemCount(bar); ++i) {
        HMENU sub = GetSubMenu(bar, i);
        if (sub == nullptr) continue;
        SendMessageA(MainFrame(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(sub), i);
        if (GetMenuState(sub, nID, MF_BYCOMMAND) != static_cast<UINT>(-1))
            return GetMenuState(sub, nID, MF_BYCOMMAND);
    }
    return static_cast<UINT>(-1);
}

// Every value below key: "prefix + name=text" for strings, "(number) n" for numbers.
void CollectValues(HKEY root, const std::string& key, const std::string& prefix,
                   std::vector<std::string>& out) {
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS) return;
    char name[256];
    std::vector<char> data(65536);
    for (DWORD i = 0, length, size, type; length = sizeof name, size = static_cast<DWORD>(data.size()),
               RegEnumValueA(hKey, i, name, &length, nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                             &size) == ERROR_SUCCESS;
         ++i) {
        bool text = type == REG_SZ && size > 0 && data[size - 1] == '\0';
        std::string number = type == REG_DWORD
                                 ? "(number) " + std::to_string(*reinterpret_cast<DWORD*>(data.data()))
                                 : "(other)";
        out.push_back(prefix + name + "=" + (text ? std::string(data.data(), size - 1) : number));
    }
    for (DWORD i = 0, length; length = sizeof name,
               RegEnumKeyExA(hKey, i, name, &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
         ++i)
        CollectValues(hKey, name, prefix + name + "\\", out);
    RegCloseKey(hKey);
}
} // namespace

void Log(const std::string& text) {
    std::string line = text + "\n";
    DWORD written = 0;
    ::WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line.data(), static_cast<DWORD>(line.size()), &written,
                nullptr);
}

void Fail(const std::string& what, int line) {
    ++g_failures;
    Log("  FAILED (line " + std::to_string(line) + "): " + what);
}

bool Check(bool condition, const char* text, int line) {
    if (!condition) Fail(text, line);
    return condition;
}

bool CheckEq(const std::string& actual, const std::string& expected, const char* text, int line) {
    auto escape = [](const std::string& in) {
        std::string out;
        for (char ch : in)
            out += ch == '\r' ? "\\r" : ch == '\n' ? "\\n" : std::string(1, ch);
        return out.size() > 300 ? out.substr(0, 300) + "..." : out;
    };
    if (actual != expected)
        Fail(std::string(text) + "\n      is:       \"" + escape(actual) + "\"\n      expected: \"" +
                 escape(expected) + "\"",
             line);
    return actual == expected;
}

bool WaitFor(const std::function<bool()>& condition, int timeoutMs) {
    for (int waited = 0; !condition(); waited += 20) {
        if (waited >= timeoutMs) return false;
        Sleep(20);
    }
    return true;
}

std::string Text(HWND hWnd) {
    std::string text(static_cast<size_t>(SendMessageA(hWnd, WM_GETTEXTLENGTH, 0, 0)) + 1, '\0');
    text.resize(
        static_cast<size_t>(SendMessageA(hWnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]))));
    return hWnd != nullptr ? text : "";
}

HWND MainFrame() {
    return g_frame;
}
HWND ToolBar() {
    return GetDlgItem(MainFrame(), AFX_IDW_TOOLBAR);
}
HWND StatusBar() {
    return GetDlgItem(MainFrame(), AFX_IDW_STATUS_BAR);
}
HWND ViewEdit() {
    return GetDlgItem(MainFrame(), AFX_IDW_PANE_FIRST);
}
HWND ToolbarChild(int id) {
    return GetDlgItem(ToolBar(), id);
}

HWND FocusWindow() {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(MainFrame(), nullptr), &info);
    return info.hwndFocus;
}

HWND WaitForDialog(const char* caption, int timeoutMs) {
    std::pair<const char*, HWND> search(caption, nullptr);
    WaitFor([&] { return !EnumWindows(FindProcessDialog, reinterpret_cast<LPARAM>(&search)); }, timeoutMs);
    return search.second;
}

std::string AnswerMessageBox(int timeoutMs) {
    HWND hBox = WaitForDialog("Brevix", timeoutMs);
    std::string text;
    EnumChildWindows(hBox, LongestStatic, reinterpret_cast<LPARAM>(&text));
    PostMessageA(hBox, WM_COMMAND, IDOK, 0);
    WaitFor([&] { return !IsWindow(hBox); });
    return hBox != nullptr ? text : "";
}

bool PressButton(HWND hDlg, int nID) {
    PostMessageA(GetDlgItem(hDlg, nID), BM_CLICK, 0, 0);
    return WaitFor([&] { return !IsWindow(hDlg); });
}

void PostCommand(UINT nID) {
    PostMessageA(MainFrame(), WM_COMMAND, nID, 0);
}
bool MenuItemEnabled(UINT nID) {
    return !(MenuState(nID) & (MF_GRAYED | MF_DISABLED));
}
bool MenuItemChecked(UINT nID) {
    return MenuState(nID) != static_cast<UINT>(-1) && (MenuState(nID) & MF_CHECKED);
}
bool ButtonEnabled(UINT nID) {
    return SendMessageA(ToolBar(), TB_ISBUTTONENABLED, nID, 0) != 0;
}

std::string FileMenuText(int index) {
    HMENU file = GetSubMenu(GetMenu(MainFrame()), 0);
    SendMessageA(MainFrame(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file), 0);
    char text[256] = "";
    GetMenuStringA(file, static_cast<UINT>(index), text, sizeof text, MF_BYPOSITION);
    return text;
}

void SetField(int id, const std::string& text) {
    SendMessageA(ToolbarChild(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    Settle();
}

void PressKeys(const std::vector<WORD>& keys) {
    SetForegroundWindow(MainFrame());
    WaitFor([] { return GetForegroundWindow() == MainFrame(); }, 2000);
    std::vector<INPUT> inputs(keys.size() * 2);
    for (size_t i = 0; i < keys.size(); ++i) {
        inputs[i].type = inputs[inputs.size() - 1 - i].type = INPUT_KEYBOARD;
        inputs[i].ki.wVk = inputs[inputs.size() - 1 - i].ki.wVk = keys[i];
        inputs[inputs.size() - 1 - i].ki.dwFlags = KEYEVENTF_KEYUP;
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    Settle();
}

void Click(HWND hWnd, const RECT* rc) {
    RECT area = {};
    GetClientRect(hWnd, &area);
    if (rc != nullptr) area = *rc;
    POINT center = {(area.left + area.right) / 2, (area.top + area.bottom) / 2};
    ClientToScreen(hWnd, &center);
    SetForegroundWindow(MainFrame());
    SetCursorPos(center.x, center.y);
    Sleep(50);
    INPUT inputs[2] = {};
    inputs[0].type = inputs[1].type = INPUT_MOUSE;
    inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, inputs, sizeof(INPUT));
    Settle();
}

void ClickButton(UINT nID) {
    RECT button = {};
    SendMessageA(ToolBar(), TB_GETITEMRECT, SendMessageA(ToolBar(), TB_COMMANDTOINDEX, nID, 0),
                 reinterpret_cast<LPARAM>(&button));
    Click(ToolBar(), &button);
}

void Settle() {
    // A posted message makes the loop idle again after it; a sent one returns once the
    // thread is back in its loop, which is after the idle update.
    PostMessageA(MainFrame(), WM_NULL, 0, 0);
    Sleep(60);
    SendMessageA(MainFrame(), WM_NULL, 0, 0);
    Sleep(20);
}

bool OpenWithDialog(const std::string& path) {
    PostCommand(ID_FILE_OPEN);
    HWND hDlg = WaitForDialog("Open");
    if (!CHECK(hDlg != nullptr)) return false;
    HWND hName = GetDlgItem(hDlg, 1148) != nullptr ? GetDlgItem(hDlg, 1148) : GetDlgItem(hDlg, 1152);
    SendMessageA(hName, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    PostMessageA(hDlg, WM_COMMAND, IDOK, 0);
    return WaitFor([&] { return !IsWindow(hDlg); });
}

void Pose(HWND hWnd, const char* name) {
    RECT rc = {};
    GetWindowRect(hWnd, &rc);
    CreateDirectoryA("C:\\shots", nullptr);
    Sleep(700);
    WriteFile("..\\shots\\" + std::string(name) + ".ready",
              std::to_string(rc.right - rc.left) + "x" + std::to_string(rc.bottom - rc.top) + "+" +
                  std::to_string(rc.left) + "+" + std::to_string(rc.top));
    std::string done = std::string("C:\\shots\\") + name + ".done";
    WaitFor([&] { return GetFileAttributesA(done.c_str()) != INVALID_FILE_ATTRIBUTES; }, 30000);
}

std::string TempDir() {
    CreateDirectoryA("C:\\brevix-gui-tests", nullptr);
    return "C:\\brevix-gui-tests";
}

std::string WriteFile(const std::string& name, const std::string& bytes) {
    std::string path = TempDir() + "\\" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

namespace {
// Calls visit(path, isFolder) for every entry below folder, a folder's entries before it.
void ForEachBelow(const std::string& folder, const std::function<void(const std::string&, bool)>& visit) {
    WIN32_FIND_DATAA data;
    HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &data);
    for (BOOL more = h != INVALID_HANDLE_VALUE; more; more = FindNextFileA(h, &data)) {
        std::string name = data.cFileName, path = folder + "\\" + name;
        bool isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (name == "." || name == "..") continue;
        if (isFolder) ForEachBelow(path, visit);
        visit(path, isFolder);
    }
    if (h != INVALID_HANDLE_VALUE) FindClose(h);
}
} // namespace

std::string FreshFolder(const std::string& name, bool enter) {
    std::string folder = TempDir() + "\\" + name;
    CreateDirectoryA(folder.c_str(), nullptr);
    ForEachBelow(folder, [](const std::string& path, bool isFolder) {
        isFolder ? RemoveDirectoryA(path.c_str()) : DeleteFileA(path.c_str());
    });
    if (enter) SetCurrentDirectoryA(folder.c_str());
    return folder;
}

std::map<std::string, std::string> FolderFiles(const std::string& folder) {
    std::map<std::string, std::string> files;
    ForEachBelow(folder, [&](const std::string& path, bool isFolder) {
        std::ifstream in(path, std::ios::binary);
        if (!isFolder)
            files[path.substr(folder.size() + 1)] =
                std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    });
    return files;
}

std::string SamplePath() {
    std::string path = "Z:" BREVIX_SOURCE_DIR "/samples/user-guide.xml";
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

const std::string kProfile = "Software\\Vellacor\\Brevix";
const std::string kSettings = kProfile + "\\Settings";

std::string RegString(HKEY root, const std::string& key, const char* value, bool* exists) {
    char data[2048] = "";
    DWORD size = sizeof data;
    bool found = RegGetValueA(root, key.c_str(), value, RRF_RT_REG_SZ, nullptr, data, &size) == ERROR_SUCCESS;
    if (exists != nullptr) *exists = found;
    return data;
}

bool RegKeyExists(HKEY root, const std::string& key) {
    HKEY hKey = nullptr;
    bool found = RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &hKey) == ERROR_SUCCESS;
    if (found) RegCloseKey(hKey);
    return found;
}

void RegSetString(HKEY root, const std::string& key, const char* value, const std::string& data) {
    RegSetKeyValueA(root, key.c_str(), value, REG_SZ, data.c_str(), static_cast<DWORD>(data.size() + 1));
}

std::string ProfileValues() {
    std::vector<std::string> values;
    CollectValues(HKEY_CURRENT_USER, kProfile, "", values);
    std::sort(values.begin(), values.end());
    std::string text;
    for (const std::string& value : values)
        text += value + "\n";
    return text;
}

void ForgetProfile() {
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Vellacor");
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32");
}

std::vector<Case>& Cases() {
    static std::vector<Case> cases;
    return cases;
}

namespace {
const Case* g_case = nullptr;

// Waits for the main frame, runs the case's test and closes the frame.
DWORD WINAPI TestThread(void*) {
    if (g_case->waitForFrame) {
        auto frame = [] {
            CWinApp* app = AfxGetApp();
            HWND hWnd =
                app != nullptr && app->m_pMainWnd != nullptr ? app->m_pMainWnd->GetSafeHwnd() : nullptr;
            return IsWindowVisible(hWnd) ? hWnd : nullptr;
        };
        WaitFor([&] { return frame() != nullptr; }, 8000);
        if (!CHECK((g_frame = frame()) != nullptr)) return 0;
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

} // namespace gui

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int nCmdShow) {
    using namespace gui;
    std::vector<CString> args = AfxCommandLineArgs();
    for (const Case& c : Cases())
        if (args.empty() || args[0] == "--list") {
            if (std::strcmp(c.name, "shots") != 0) Log(c.name); // "shots" poses for screenshots; no test
        } else if (args[0] == c.name) {
            g_case = &c;
        }
    if (g_case == nullptr) return args.empty() || args[0] == "--list" ? 0 : (Log("no case " + args[0]), 2);
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
