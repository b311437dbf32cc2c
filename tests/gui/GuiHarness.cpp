#include "GuiHarness.h"

#include <algorithm>
#include <cstdio>
#include <cstring>


#include "framework/FrameWnd.h"
#include "framework/WinApp.h"
#include "resources/resource.h"

namespace gui {
namespace {
int g_failures = 0;
HWND g_frame = nullptr;

void Write(const std::string& text) {
    DWORD written = 0;
    ::WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()), &written,
                nullptr);
}

std::string Escape(const std::string& text) {
    std::string out;
    for (char ch : text) {
        if (ch == '\r')
            out += "\\r";
        else if (ch == '\n')
            out += "\\n";
        else
            out += ch;
    }
    return out.size() > 300 ? out.substr(0, 300) + "..." : out;
}

BOOL CALLBACK FindProcessDialog(HWND hWnd, LPARAM lParam) {
    auto* search = reinterpret_cast<std::pair<const char*, HWND>*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hWnd, &pid);
    char cls[64] = "";
    GetClassNameA(hWnd, cls, sizeof cls);
    if (pid == GetCurrentProcessId() && std::strcmp(cls, "#32770") == 0 && IsWindowVisible(hWnd) &&
        Text(hWnd) == search->first) {
        search->second = hWnd;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK LongestStatic(HWND hWnd, LPARAM lParam) {
    auto* best = reinterpret_cast<std::string*>(lParam);
    char cls[32] = "";
    GetClassNameA(hWnd, cls, sizeof cls);
    std::string text = Text(hWnd);
    if (lstrcmpiA(cls, "Static") == 0 && text.size() > best->size()) *best = text;
    return TRUE;
}

HMENU SubMenuHolding(UINT nID, int* position) {
    HMENU bar = GetMenu(MainFrame());
    for (int i = 0; i < GetMenuItemCount(bar); ++i) {
        HMENU sub = GetSubMenu(bar, i);
        if (sub == nullptr) continue;
        SendMessageA(MainFrame(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(sub), i);
        for (int j = 0; j < GetMenuItemCount(sub); ++j)
            if (GetMenuItemID(sub, j) == nID) {
                if (position != nullptr) *position = j;
                return sub;
            }
    }
    return nullptr;
}
} // namespace

void Log(const std::string& text) {
    Write(text + "\n");
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
    if (actual == expected) return true;
    Fail(std::string(text) + "\n      is:       \"" + Escape(actual) + "\"\n      expected: \"" +
             Escape(expected) + "\"",
         line);
    return false;
}

bool WaitFor(const std::function<bool()>& condition, int timeoutMs) {
    for (int waited = 0;; waited += 20) {
        if (condition()) return true;
        if (waited >= timeoutMs) return false;
        Sleep(20);
    }
}

std::string Text(HWND hWnd) {
    char buffer[4096] = "";
    if (hWnd == nullptr) return "";
    int length = static_cast<int>(SendMessageA(hWnd, WM_GETTEXTLENGTH, 0, 0));
    if (length >= static_cast<int>(sizeof buffer)) {
        std::string text(static_cast<size_t>(length) + 1, '\0');
        length =
            static_cast<int>(SendMessageA(hWnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0])));
        text.resize(static_cast<size_t>(length));
        return text;
    }
    SendMessageA(hWnd, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer));
    return buffer;
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

HWND WaitForDialog(const char* caption, int timeoutMs) {
    std::pair<const char*, HWND> search(caption, nullptr);
    WaitFor(
        [&] {
            EnumWindows(FindProcessDialog, reinterpret_cast<LPARAM>(&search));
            return search.second != nullptr;
        },
        timeoutMs);
    return search.second;
}

HWND FocusWindow() {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(MainFrame(), nullptr), &info);
    return info.hwndFocus;
}

std::string AnswerMessageBox(int timeoutMs) {
    HWND hBox = WaitForDialog("Brevix", timeoutMs);
    if (hBox == nullptr) return "";
    std::string text;
    EnumChildWindows(hBox, LongestStatic, reinterpret_cast<LPARAM>(&text));
    PostMessageA(hBox, WM_COMMAND, IDOK, 0);
    WaitFor([&] { return !IsWindow(hBox); });
    return text;
}

bool PressButton(HWND hDlg, int nID) {
    PostMessageA(GetDlgItem(hDlg, nID), BM_CLICK, 0, 0);
    return WaitFor([&] { return !IsWindow(hDlg); });
}

void PostCommand(UINT nID) {
    PostMessageA(MainFrame(), WM_COMMAND, nID, 0);
}

bool MenuItemEnabled(UINT nID) {
    int position = 0;
    HMENU sub = SubMenuHolding(nID, &position);
    return sub != nullptr &&
           !(GetMenuState(sub, static_cast<UINT>(position), MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED));
}

bool MenuItemChecked(UINT nID) {
    int position = 0;
    HMENU sub = SubMenuHolding(nID, &position);
    return sub != nullptr && (GetMenuState(sub, static_cast<UINT>(position), MF_BYPOSITION) & MF_CHECKED);
}

std::string MenuItemText(int nMenu, int index) {
    HMENU sub = GetSubMenu(GetMenu(MainFrame()), nMenu);
    SendMessageA(MainFrame(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(sub), nMenu);
    char text[256] = "";
    GetMenuStringA(sub, static_cast<UINT>(index), text, sizeof text, MF_BYPOSITION);
    return text;
}

bool ButtonEnabled(UINT nID) {
    return SendMessageA(ToolBar(), TB_ISBUTTONENABLED, nID, 0) != 0;
}

void SetField(int id, const std::string& text) {
    SendMessageA(ToolbarChild(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    Settle();
}

void PressKeys(const std::vector<WORD>& keys) {
    SetForegroundWindow(MainFrame());
    WaitFor([] { return GetForegroundWindow() == MainFrame(); }, 2000);
    std::vector<INPUT> inputs;
    for (WORD key : keys) {
        INPUT input = {};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
        inputs.push_back(input);
    }
    for (size_t i = keys.size(); i-- > 0;) {
        INPUT input = {};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = keys[i];
        input.ki.dwFlags = KEYEVENTF_KEYUP;
        inputs.push_back(input);
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
    HWND hName = GetDlgItem(hDlg, 1148);
    if (hName == nullptr) hName = GetDlgItem(hDlg, 1152);
    SendMessageA(hName, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    PostMessageA(hDlg, WM_COMMAND, IDOK, 0);
    return WaitFor([&] { return !IsWindow(hDlg); });
}

void Pose(HWND hWnd, const char* name) {
    RECT rc = {};
    GetWindowRect(hWnd, &rc);
    CreateDirectoryA("C:\\shots", nullptr);
    std::string base = std::string("C:\\shots\\") + name;
    std::string rect = std::to_string(rc.right - rc.left) + "x" + std::to_string(rc.bottom - rc.top) + "+" +
                       std::to_string(rc.left) + "+" + std::to_string(rc.top);
    Sleep(700);
    WriteFile("..\\shots\\" + std::string(name) + ".ready", rect);
    WaitFor([&] { return GetFileAttributesA((base + ".done").c_str()) != INVALID_FILE_ATTRIBUTES; }, 30000);
}

std::string TempDir() {
    static std::string dir;
    if (dir.empty()) {
        dir = "C:\\brevix-gui-tests";
        CreateDirectoryA(dir.c_str(), nullptr);
    }
    return dir;
}

std::string WriteFile(const std::string& name, const std::string& bytes) {
    std::string path = TempDir() + "\\" + name;
    if (FILE* file = std::fopen(path.c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }
    return path;
}

std::string ReadBytes(const std::string& path) {
    std::string bytes;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return bytes;
    char buffer[65536];
    for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
        bytes.append(buffer, got);
    std::fclose(file);
    return bytes;
}

namespace {
// Calls visit(name, isFolder) for every entry of folder but "." and "..".
template <typename Visit> void ForEachEntry(const std::string& folder, Visit visit) {
    WIN32_FIND_DATAA data;
    HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        std::string name = data.cFileName;
        if (name != "." && name != "..") visit(name, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
    } while (FindNextFileA(h, &data));
    FindClose(h);
}

void EmptyFolder(const std::string& folder) {
    ForEachEntry(folder, [&folder](const std::string& name, bool isFolder) {
        std::string path = folder + "\\" + name;
        if (isFolder) EmptyFolder(path);
        isFolder ? RemoveDirectoryA(path.c_str()) : DeleteFileA(path.c_str());
    });
}

void CollectFiles(const std::string& folder, const std::string& relative,
                  std::map<std::string, std::string>& out) {
    ForEachEntry(folder, [&](const std::string& name, bool isFolder) {
        if (isFolder)
            CollectFiles(folder + "\\" + name, relative + name + "\\", out);
        else
            out[relative + name] = ReadBytes(folder + "\\" + name);
    });
}

void CollectValues(HKEY root, const std::string& key, const std::string& prefix, std::vector<std::string>& out) {
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS) return;
    char name[256];
    std::vector<char> data(65536);
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = sizeof name, size = static_cast<DWORD>(data.size()), type = 0;
        if (RegEnumValueA(hKey, i, name, &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                          &size) != ERROR_SUCCESS)
            break;
        // A string value holds its text and one NUL.
        bool text = type == REG_SZ && size > 0 && data[size - 1] == '\0';
        out.push_back(prefix + name + "=" + (text ? std::string(data.data(), size - 1) : "(not a string)"));
    }
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = sizeof name;
        if (RegEnumKeyExA(hKey, i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        CollectValues(hKey, name, prefix + name + "\\", out);
    }
    RegCloseKey(hKey);
}
} // namespace

std::string FreshFolder(const std::string& name, bool enter) {
    std::string folder = TempDir() + "\\" + name;
    CreateDirectoryA(folder.c_str(), nullptr);
    EmptyFolder(folder);
    if (enter) SetCurrentDirectoryA(folder.c_str());
    return folder;
}

std::map<std::string, std::string> FolderFiles(const std::string& folder) {
    std::map<std::string, std::string> files;
    CollectFiles(folder, "", files);
    return files;
}

std::string SamplePath() {
    std::string path = "Z:" BREVIX_SOURCE_DIR "/samples/user-guide.xml";
    for (char& ch : path)
        if (ch == '/') ch = '\\';
    return path;
}

const std::string kProfile = "Software\\Vellacor\\Brevix";
const std::string kSettings = kProfile + "\\Settings";

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
    RegDeleteTreeAll(HKEY_CURRENT_USER, "Software\\Vellacor");
    RegDeleteTreeAll(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32");
}

std::string RegString(HKEY root, const std::string& key, const char* value, bool* exists) {
    HKEY hKey = nullptr;
    if (exists != nullptr) *exists = false;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS) return "";
    char data[2048] = "";
    DWORD size = sizeof data, type = 0;
    LONG result = RegQueryValueExA(hKey, value, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(hKey);
    if (result != ERROR_SUCCESS) return "";
    if (exists != nullptr) *exists = true;
    return std::string(data, size > 0 && data[size - 1] == '\0' ? size - 1 : size);
}

bool RegKeyExists(HKEY root, const std::string& key) {
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS) return false;
    RegCloseKey(hKey);
    return true;
}

void RegDeleteTreeAll(HKEY root, const std::string& key) {
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_ALL_ACCESS, &hKey) != ERROR_SUCCESS) return;
    char name[256];
    for (;;) {
        DWORD length = sizeof name;
        if (RegEnumKeyExA(hKey, 0, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        RegDeleteTreeAll(hKey, name);
    }
    RegCloseKey(hKey);
    RegDeleteKeyA(root, key.c_str());
}

void RegSetString(HKEY root, const std::string& key, const char* value, const std::string& data) {
    HKEY hKey = nullptr;
    if (RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hKey, nullptr) !=
        ERROR_SUCCESS)
        return;
    RegSetValueExA(hKey, value, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                   static_cast<DWORD>(data.size() + 1));
    RegCloseKey(hKey);
}

std::vector<Case>& Cases() {
    static std::vector<Case> cases;
    return cases;
}

namespace {
const Case* g_case = nullptr;

DWORD WINAPI TestThread(void*) {
    // The main frame, once the application shows it.
    if (g_case->waitForFrame) {
        WaitFor(
            [] {
                CWinApp* app = AfxGetApp();
                return app != nullptr && app->m_pMainWnd != nullptr &&
                       IsWindowVisible(app->m_pMainWnd->GetSafeHwnd());
            },
            8000);
        CWinApp* app = AfxGetApp();
        g_frame = app != nullptr && app->m_pMainWnd != nullptr ? app->m_pMainWnd->GetSafeHwnd() : nullptr;
        if (!CHECK(g_frame != nullptr)) return 0;
        Settle();
    }
    if (g_case->during) g_case->during();
    if (g_frame != nullptr && IsWindow(g_frame)) PostMessageA(g_frame, WM_CLOSE, 0, 0);
    return 0;
}

DWORD WINAPI Watchdog(void*) {
    Sleep(90000);
    Log("  FAILED: the case did not end within 90 s");
    ExitProcess(3);
}
} // namespace

} // namespace gui

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int nCmdShow) {
    using namespace gui;
    std::vector<CString> args = AfxCommandLineArgs();
    if (args.empty() || args[0] == "--list") {
        // "shots" poses the program for screenshots; it is no test.
        for (const Case& c : Cases())
            if (std::strcmp(c.name, "shots") != 0) Log(c.name);
        return 0;
    }
    for (const Case& c : Cases())
        if (args[0] == c.name) g_case = &c;
    if (g_case == nullptr) {
        Log("no case " + args[0]);
        return 2;
    }
    std::vector<CString> appArgs = g_case->prepare ? g_case->prepare() : std::vector<CString>();
    CreateThread(nullptr, 0, Watchdog, nullptr, 0, nullptr);
    HANDLE hTest = CreateThread(nullptr, 0, TestThread, nullptr, 0, nullptr);
    int exitCode = AfxWinMain(hInstance, appArgs, nCmdShow);
    WaitForSingleObject(hTest, 30000);
    if (g_case->after) g_case->after(exitCode);
    Log(std::string(g_failures == 0 ? "PASS " : "FAIL ") + g_case->name);
    return g_failures == 0 ? 0 : 1;
}
