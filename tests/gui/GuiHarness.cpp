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
        out.push_back(prefix + name + "=" +
                      (type == REG_DWORD
                           ? "(number) " + std::to_string(*reinterpret_cast<DWORD*>(data.data()))
                           : std::string(data.data(), size > 0 ? size - 1 : 0)));
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

bool Check(bool condition, const std::string& text, int line) {
    if (!condition) Log("  FAILED (line " + std::to_string(line) + "): " + text);
    g_failures += !condition;
    return condition;
}

bool CheckEq(const std::string& actual, const std::string& expected, const char* text, int line) {
    auto escape = [](const std::string& in) {
        std::string out;
        for (char ch : in)
            out += ch == '\r' ? "\\r" : ch == '\n' ? "\\n" : std::string(1, ch);
        return out.size() > 300 ? out.substr(0, 300) + "..." : out;
    };
    return Check(actual == expected,
                 std::string(text) + "\n      is:       \"" + escape(actual) + "\"\n      expected: \"" +
                     escape(expected) + "\"",
                 line);
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
    mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
    mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
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

HWND NameBox(HWND hDlg) {
    return GetDlgItem(hDlg, 1148) != nullptr ? GetDlgItem(hDlg, 1148) : GetDlgItem(hDlg, 1152);
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

std::string FreshFolder(const std::string& name, bool enter) {
    std::string folder = TempDir() + "\\" + name;
    CHECK(CreateDirectoryA(folder.c_str(), nullptr)); // each run starts in a fresh prefix
    if (enter) SetCurrentDirectoryA(folder.c_str());
    return folder;
}

std::map<std::string, std::string> FolderFiles(const std::string& folder) {
    std::map<std::string, std::string> files;
    WIN32_FIND_DATAA data;
    HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &data);
    for (BOOL more = h != INVALID_HANDLE_VALUE; more; more = FindNextFileA(h, &data)) {
        std::string name = data.cFileName, path = folder + "\\" + name;
        std::ifstream in(path, std::ios::binary);
        if (name == "." || name == "..") continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            for (const auto& file : FolderFiles(path))
                files[name + "\\" + file.first] = file.second;
        } else {
            files[name] = std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
    }
    FindClose(h);
    return files;
}

std::string SamplePath() {
    std::string path = "Z:" BREVIX_SOURCE_DIR "/samples/user-guide.xml";
    std::replace(path.begin(), path.end(), '/', '\\');
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

std::vector<std::string> SampleWithoutProfile() {
    ForgetProfile();
    return {SamplePath()};
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
