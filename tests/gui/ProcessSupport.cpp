#include "ProcessSupport.h"

#include <cstdio>
#include <vector>

#include "engine/Chunker.h"
#include "settings/ChunkSettings.h"

namespace gui {

const std::string kBrevixKey = "Software\\Vellacor\\Brevix";
const std::string kSettingsKey = kBrevixKey + "\\Settings";
const char* const kPickerTitle = "Select Brevix Output Folder";

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
        if (isFolder) {
            EmptyFolder(path);
            RemoveDirectoryA(path.c_str());
        } else {
            DeleteFileA(path.c_str());
        }
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

void CollectValues(HKEY root, const std::string& key, const std::string& prefix,
                   std::map<std::string, std::string>& out) {
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS) return;
    char name[256];
    std::vector<char> data(65536);
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = sizeof name, size = static_cast<DWORD>(data.size()), type = 0;
        if (RegEnumValueA(hKey, i, name, &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                          &size) != ERROR_SUCCESS)
            break;
        out[prefix + name] = std::to_string(type) + ":" + std::string(data.data(), size);
    }
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = sizeof name;
        if (RegEnumKeyExA(hKey, i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        CollectValues(hKey, name, prefix + name + "\\", out);
    }
    RegCloseKey(hKey);
}

std::string Lower(std::string text) {
    for (char& ch : text)
        if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
    return text;
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}
} // namespace

std::string SamplePath() {
    std::string path = "Z:" BREVIX_SOURCE_DIR "/samples/user-guide.xml";
    for (char& ch : path)
        if (ch == '/') ch = '\\';
    return path;
}

std::string FreshFolder(const std::string& name) {
    std::string folder = TempDir() + "\\" + name;
    CreateDirectoryA(folder.c_str(), nullptr);
    EmptyFolder(folder);
    return folder;
}

std::string EnterFreshFolder(const std::string& name) {
    std::string folder = FreshFolder(name);
    SetCurrentDirectoryA(folder.c_str());
    return folder;
}

std::map<std::string, std::string> FolderFiles(const std::string& folder) {
    std::map<std::string, std::string> files;
    CollectFiles(folder, "", files);
    return files;
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

void ForgetProfileAndPickerFolder() {
    RegDeleteTreeAll(HKEY_CURRENT_USER, kBrevixKey);
    RegDeleteTreeAll(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32");
}

std::map<std::string, std::string> ProfileValues() {
    std::map<std::string, std::string> values;
    CollectValues(HKEY_CURRENT_USER, kBrevixKey, "", values);
    return values;
}

HWND WaitForPicker(int timeoutMs) {
    return WaitForDialog(kPickerTitle, timeoutMs);
}

bool PressSelect(HWND hPicker) {
    return PressButton(hPicker, IDOK);
}

bool PressButton(HWND hDlg, int nID) {
    PostMessageA(GetDlgItem(hDlg, nID), BM_CLICK, 0, 0);
    return WaitFor([&] { return !IsWindow(hDlg); });
}

std::string WaitForLogText(HWND* phLog) {
    HWND hLog = WaitForDialog("Process Log", 10000);
    if (phLog != nullptr) *phLog = hLog;
    if (!CHECK(hLog != nullptr)) return "";
    return Text(GetDlgItem(hLog, 1005));
}

HWND FocusWindow() {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    DWORD thread = GetWindowThreadProcessId(MainFrame(), nullptr);
    GetGUIThreadInfo(thread, &info);
    return info.hwndFocus;
}

std::string SelectAndWaitForLog(HWND* phLog) {
    *phLog = nullptr;
    HWND hPicker = WaitForPicker();
    if (!CHECK(hPicker != nullptr)) return "";
    CHECK(PressSelect(hPicker));
    return WaitForLogText(phLog);
}

std::string ReferenceRun(const std::string& source, const std::string& folder) {
    const ChunkSettings& settings = *GetChunkSettings();
    Chunker chunker(settings, settings.GetLevelTagText(), settings.GetNameKeyText());
    return chunker.Process(source, folder);
}

std::string ComparableLog(const std::string& log, const std::string& folder, const std::string& refFolder) {
    size_t lineEnd = log.find("\r\n");
    std::string first = log.substr(0, lineEnd);
    if (first.compare(0, 14, "Process Log - ") != 0) return "(no time-stamped first line) " + log;
    return Replace(log.substr(lineEnd == std::string::npos ? log.size() : lineEnd), folder, refFolder);
}

void ExpectRunLikeEngine(const std::string& name) {
    std::string folder = TempDir() + "\\" + name;
    HWND hLog = nullptr;
    std::string log = SelectAndWaitForLog(&hLog);
    if (hLog == nullptr) return;
    CHECK(PressButton(hLog, IDOK));
    std::string refFolder = FreshFolder(name + "-ref");
    std::string refLog = ReferenceRun(SamplePath(), refFolder);
    CHECK_EQ(ComparableLog(log, folder, refFolder), ComparableLog(refLog, refFolder, refFolder));
    std::map<std::string, std::string> files = FolderFiles(folder), refFiles = FolderFiles(refFolder);
    CHECK(!files.empty());
    CHECK_EQ(std::to_string(files.size()), std::to_string(refFiles.size()));
    for (const auto& file : refFiles)
        CHECK_EQ(files[file.first], file.second);
}

void CheckTemplate(HWND hDlg, const ControlSpec* specs, size_t count) {
    std::vector<HWND> children;
    for (HWND h = GetWindow(hDlg, GW_CHILD); h != nullptr; h = GetWindow(h, GW_HWNDNEXT))
        children.push_back(h);
    CHECK_EQ(std::to_string(children.size()), std::to_string(count));
    for (size_t i = 0; i < count && i < children.size(); ++i) {
        const ControlSpec& spec = specs[i];
        HWND h = children[i];
        std::string where = "control " + std::to_string(i) + " (id " + std::to_string(spec.id) + ")";
        if (spec.id != -1)
            CHECK_EQ(where + ": id " + std::to_string(GetDlgCtrlID(h)),
                     where + ": id " + std::to_string(spec.id));
        char cls[64] = "";
        GetClassNameA(h, cls, sizeof cls);
        CHECK_EQ(where + ": " + Lower(cls), where + ": " + Lower(spec.cls));
        CHECK_EQ(where + ": " + Text(h), where + ": " + spec.text);
        // The dialog manager converts position and size each on its own.
        RECT expected = spec.dlu;
        MapDialogRect(hDlg, &expected);
        expected.right += expected.left;
        expected.bottom += expected.top;
        RECT actual;
        GetWindowRect(h, &actual);
        MapWindowPoints(nullptr, hDlg, reinterpret_cast<POINT*>(&actual), 2);
        auto rectText = [](const RECT& r) {
            return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) +
                   "," + std::to_string(r.bottom);
        };
        CHECK_EQ(where + ": " + rectText(actual), where + ": " + rectText(expected));
        DWORD style = static_cast<DWORD>(GetWindowLongA(h, GWL_STYLE));
        CHECK_EQ(where + ": style " + std::to_string(style & spec.styleMask),
                 where + ": style " + std::to_string(spec.style));
    }
}

void Pose(HWND hWnd, const char* name) {
    RECT rc = {};
    GetWindowRect(hWnd, &rc);
    CreateDirectoryA("C:\\shots", nullptr);
    std::string base = std::string("C:\\shots\\") + name;
    std::string rect = std::to_string(rc.right - rc.left) + "x" + std::to_string(rc.bottom - rc.top) + "+" +
                       std::to_string(rc.left) + "+" + std::to_string(rc.top);
    Sleep(700);
    if (FILE* file = std::fopen((base + ".ready").c_str(), "wb")) {
        std::fputs(rect.c_str(), file);
        std::fclose(file);
    }
    WaitFor([&] { return GetFileAttributesA((base + ".done").c_str()) != INVALID_FILE_ATTRIBUTES; }, 30000);
}

} // namespace gui
