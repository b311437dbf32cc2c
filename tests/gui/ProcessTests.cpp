// The Process command as a user runs it: from the File menu, Ctrl+S and the toolbar, through
// the output folder picker and its quirks to the Process Log; the chunk files once compared
// with the engine's own run; Cancel, a place without a path, a blank chunk level, a read error
// and a source too large.
#include "GuiHarness.h"

#include "engine/Chunker.h"
#include "platform/IoFaults.h"
#include "resources/resource.h"
#include "settings/ChunkSettings.h"

using namespace gui;

namespace {
const char* const kPicker = "Select Brevix Output Folder";

// Selects item index of the picker's combo box nID as the user does.
void SelectComboItem(HWND hPicker, int nID, int index) {
    SendMessageA(GetDlgItem(hPicker, nID), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageA(hPicker, WM_COMMAND, MAKEWPARAM(nID, CBN_SELENDOK),
                 reinterpret_cast<LPARAM>(GetDlgItem(hPicker, nID)));
}

// The picker's list of folders and files, once it shows exactly one item.
HWND ListOfOne(HWND hPicker) {
    HWND hList = FindWindowExA(FindWindowExA(hPicker, nullptr, "SHELLDLL_DefView", nullptr), nullptr,
                               "SysListView32", nullptr);
    CHECK(WaitFor([&] { return SendMessageA(hList, LVM_GETITEMCOUNT, 0, 0) == 1; }));
    return hList;
}

// Double-clicks the one folder the picker lists; true once the picker shows it.
bool EnterOnlyFolder(HWND hPicker, const std::string& name) {
    HWND hList = ListOfOne(hPicker);
    RECT item = {};
    WaitFor([&] {
        item.left = LVIR_LABEL;
        SendMessageA(hList, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
        return item.right > item.left;
    });
    LPARAM at = MAKELPARAM(item.left + 8, (item.top + item.bottom) / 2); // a long label runs past the list
    for (UINT message : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
        PostMessageA(hList, message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, at);
    return WaitFor([&] { return Text(GetDlgItem(hPicker, 1137)) == name; });
}

// The picker's hidden name box holds the dummy name once it has settled.
bool HoldsPlacebo(HWND hPicker) {
    Sleep(300);
    return CHECK_EQ(Text(NameBox(hPicker)), "_placebo_");
}
// The picker once it shows, its name box holding the dummy name.
HWND Picker() {
    HWND hPicker = WaitForDialog(kPicker);
    HoldsPlacebo(hPicker);
    return hPicker;
}

// Presses Select and waits for the Process Log: its text, and the dialog in *phLog.
std::string SelectAndWaitForLog(HWND hPicker, HWND* phLog) {
    CHECK(PressButton(hPicker, IDOK));
    *phLog = WaitForDialog("Process Log", 10000);
    return CHECK(*phLog != nullptr) ? Text(GetDlgItem(*phLog, 1005)) : "";
}

// Presses Select; true when the log names folder as the output and closes.
bool RunInto(HWND hPicker, const std::string& folder) {
    HWND hLog = nullptr;
    std::string log = SelectAndWaitForLog(hPicker, &hLog);
    return CHECK(log.find("\r\noutput folder: " + folder + "\r\n") != std::string::npos) &&
           CHECK(PressButton(hLog, IDOK));
}

bool NoLog(int timeoutMs = 1000) {
    return WaitForDialog("Process Log", timeoutMs) == nullptr;
}

// From the File menu with the keyboard: the picker as the user sees it; Select at once yields
// the folder it opened in, and the files and the log are those of the engine's own run. The
// log's text cannot be changed, and Escape in it closes the log.
void FromMenu() {
    std::string folder = FreshFolder("menu", true);
    PressKeys({VK_MENU, 'F'});
    PressKeys({'S'});
    HWND hPicker = Picker();
    CHECK_EQ(Text(GetDlgItem(hPicker, 1091)) + "|" + Text(GetDlgItem(hPicker, IDOK)), "Output:|Select");
    CHECK(!IsWindowVisible(GetDlgItem(hPicker, 1090)) && !IsWindowVisible(NameBox(hPicker)));
    CHECK(FocusWindow() == GetDlgItem(hPicker, IDOK) && !IsWindowEnabled(MainFrame()));
    HWND hLog = nullptr;
    std::string log = SelectAndWaitForLog(hPicker, &hLog);
    HWND hEdit = GetDlgItem(hLog, 1005);
    CHECK(FocusWindow() == GetDlgItem(hLog, IDOK) && !IsWindowEnabled(MainFrame()));
    SendMessageA(hEdit, WM_CHAR, 'x', 0);
    CHECK_EQ(Text(hEdit), log);
    PostMessageA(hEdit, WM_KEYDOWN, VK_ESCAPE, 0);
    CHECK(WaitFor([&] { return !IsWindow(hLog); }) && IsWindowEnabled(MainFrame()));

    // The engine's own run with the same settings: the same log but for its time stamp line and
    // the folder's name, the same files.
    std::string refFolder = FreshFolder("menu-ref");
    const ChunkSettings& settings = *GetChunkSettings();
    std::string refLog = Chunker(settings, settings.GetLevelTagText(), settings.GetNameKeyText())
                             .Process(SamplePath(), refFolder);
    auto comparable = [&](std::string text, const std::string& from) {
        CHECK_EQ(text.substr(0, 14), "Process Log - ");
        text.erase(0, text.find("\r\n"));
        for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + 1))
            text.replace(at, from.size(), "<out>");
        return text;
    };
    CHECK_EQ(comparable(log, folder), comparable(refLog, refFolder));
    std::map<std::string, std::string> files = FolderFiles(folder);
    CHECK(files.size() == 10 && files == FolderFiles(refFolder));
}
Register fromMenu({"process.menu", SampleWithoutProfile, FromMenu, nullptr});

// The toolbar button with the mouse. In the picker the user types a sub-folder's name into the
// name box to enter it (the dialog puts the dummy name back); with "All Files (*.*)" clicks a
// file in the list: Select still yields the folder, not the file, which is kept.
void FromToolbar() {
    std::string folder = FreshFolder("toolbar", true);
    CreateDirectoryA((folder + "\\inner").c_str(), nullptr);
    WriteFile("toolbar\\inner\\existing.txt", "keep me\n");
    ClickButton(ID_FILE_PROCESS);
    HWND hPicker = Picker();
    SendMessageA(NameBox(hPicker), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("inner"));
    PostMessageA(hPicker, WM_COMMAND, IDOK, 0);
    CHECK(WaitFor([&] { return Text(GetDlgItem(hPicker, 1137)) == "inner"; }));
    CHECK(WaitFor([&] { return Text(NameBox(hPicker)) == "_placebo_"; }));
    SelectComboItem(hPicker, 1136, 1);
    LVITEMA item = {};
    item.stateMask = item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(ListOfOne(hPicker), LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&item));
    HoldsPlacebo(hPicker);
    CHECK(RunInto(hPicker, folder + "\\inner"));
    std::map<std::string, std::string> files = FolderFiles(folder);
    CHECK(files["inner\\existing.txt"] == "keep me\n" && files.size() == 11);
    for (const auto& file : files)
        CHECK_EQ(file.first.substr(0, 6), "inner\\");
}
Register fromToolbar({"process.toolbar", SampleWithoutProfile, FromToolbar, nullptr});

// From Ctrl+S, a folder entered by double-clicking it; in a folder with a long name the log's lines are
// wider than its box, which scrolls sideways instead of wrapping them. The next picker opens
// there; its sub-folder's path is too long for the platform's dialog: Select is refused with a
// message and the picker stays; Cancel ends the command without a log or a profile change, and
// so does Select on My Computer, a place with no file-system path. With no source open, Ctrl+S
// does not start the command.
void PickFolders() {
    std::string parent = FreshFolder("double", true);
    std::string name = "a-folder-with-a-long-name-" + std::string(110, 'x'), folder = parent + "\\" + name;
    CreateDirectoryA(folder.c_str(), nullptr);
    std::string deep = std::string(130, 'd'), deepPath = "\\\\?\\" + folder + "\\" + deep;
    CHECK(CreateDirectoryW(std::wstring(deepPath.begin(), deepPath.end()).c_str(), nullptr));
    PressKeys({VK_CONTROL, 'S'});
    HWND hPicker = WaitForDialog(kPicker);
    CHECK(EnterOnlyFolder(hPicker, name) && HoldsPlacebo(hPicker));
    HWND hLog = nullptr;
    std::string log = SelectAndWaitForLog(hPicker, &hLog);
    CHECK(log.find("\r\noutput folder: " + folder + "\r\n") != std::string::npos);
    SCROLLINFO info = {sizeof info, SIF_RANGE | SIF_PAGE, 0, 0, 0, 0, 0};
    CHECK(GetScrollInfo(GetDlgItem(hLog, 1005), SB_HORZ, &info) &&
          info.nMax - info.nMin + 1 > static_cast<int>(info.nPage));
    CHECK(PressButton(hLog, IDOK) && FolderFiles(folder).size() == 10);

    std::string profile = ProfileValues();
    PostCommand(ID_FILE_PROCESS);
    hPicker = WaitForDialog(kPicker);
    CHECK(EnterOnlyFolder(hPicker, deep));
    PostMessageA(GetDlgItem(hPicker, IDOK), BM_CLICK, 0, 0);
    CHECK_EQ(AnswerMessageBox(),
             "This path is too long. Choose a shorter file name or a folder with a shorter path.");
    CHECK(IsWindow(hPicker) && PressButton(hPicker, IDCANCEL) && NoLog(1500) && IsWindowEnabled(MainFrame()));
    CHECK_EQ(ProfileValues(), profile);

    PostCommand(ID_FILE_PROCESS);
    hPicker = Picker();
    HWND hLookIn = GetDlgItem(hPicker, 1137);
    SelectComboItem(hPicker, 1137,
                    static_cast<int>(SendMessageA(hLookIn, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                                  reinterpret_cast<LPARAM>("My Computer"))));
    CHECK(WaitFor([&] { return Text(hLookIn) == "My Computer"; }) && HoldsPlacebo(hPicker));
    CHECK(PressButton(hPicker, IDOK) && NoLog(1500) && IsWindowEnabled(MainFrame()));
    CHECK(FolderFiles(folder).size() == 10);
    PostCommand(ID_FILE_NEW);
    Settle();
    PressKeys({VK_CONTROL, 'S'});
    CHECK(WaitForDialog(kPicker, 1000) == nullptr);
}
Register pickFolders({"process.picker-folders", SampleWithoutProfile, PickFolders, nullptr});

// The file that grows; the command run through the picker at once, for a message and no log.
std::string g_growing;
void Resize(LONGLONG size) {
    HANDLE h = CreateFileA(g_growing.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    LARGE_INTEGER at;
    at.QuadPart = size;
    CHECK(SetFilePointerEx(h, at, nullptr, FILE_BEGIN) && SetEndOfFile(h));
    CloseHandle(h);
}
std::string SelectForMessage(int timeoutMs = 5000) {
    PostCommand(ID_FILE_PROCESS);
    CHECK(PressButton(WaitForDialog(kPicker), IDOK));
    std::string text = AnswerMessageBox(timeoutMs);
    CHECK(NoLog(500));
    return text;
}

// A chunk level of blanks and commas: the engine logs the empty list. A read error of the
// source, and a source that grew on disk past what memory holds, are reported by the command
// dispatch with their messages and no log; the next Process works.
std::vector<std::string> Growing() {
    ForgetProfile();
    return {g_growing = WriteFile("growing.xml", "<topic><title>small</title></topic>\n")};
}
void Errors() {
    std::string folder = FreshFolder("errors", true);
    SetField(IDC_LEVEL_EDIT, " , ,");
    CHECK(ButtonEnabled(ID_FILE_PROCESS));
    PostCommand(ID_FILE_PROCESS);
    HWND hLog = nullptr;
    CHECK(SelectAndWaitForLog(Picker(), &hLog).find("\r\n\r\nchunk level tag is empty\r\n") !=
          std::string::npos);
    CHECK(PressButton(hLog, IDOK) && FolderFiles(folder).empty());
    SetField(IDC_LEVEL_EDIT, "topic");
    IoFaults::FailAt(IoOp::Read, 1);
    CHECK_EQ(SelectForMessage(), "An error occurred while reading " + g_growing + ".");
    IoFaults::Reset();
    for (LONGLONG size : {1900000000LL, 3500000000LL}) {
        Resize(size);
        CHECK_EQ(SelectForMessage(30000), "Out of memory.");
    }
    WriteFile("growing.xml", "<topic><title>again</title></topic>\n");
    PostCommand(ID_FILE_PROCESS);
    CHECK(RunInto(Picker(), folder));
    std::string again =
        std::string(kDefaultPreamble).insert(38, "\r") + "<topic><title>again</title></topic>";
    CHECK(FolderFiles(folder) == (std::map<std::string, std::string>{{"again.xml", again}}));
}
Register errors({"process.errors", Growing, Errors, nullptr});

// Not a test: poses the picker, the Process Log after a run on the bundled sample, and the
// Settings dialog for scripts/screenshots.sh.
void Shots() {
    FreshFolder("shots-out", true);
    PostCommand(ID_FILE_PROCESS);
    HWND hPicker = WaitForDialog(kPicker);
    Pose(hPicker, "folder-picker");
    CHECK(PressButton(hPicker, IDOK));
    HWND hLog = WaitForDialog("Process Log", 10000);
    Pose(hLog, "process-log");
    CHECK(PressButton(hLog, IDOK));
    PostCommand(ID_SETTINGS);
    HWND hSettings = WaitForDialog("Settings");
    Pose(hSettings, "settings");
    CHECK(PressButton(hSettings, IDCANCEL));
}
Register shots({"shots", SampleWithoutProfile, Shots, nullptr});
} // namespace
